#include "support/ScriptedPlatform.h"

namespace tracklore {

void ScriptedPlatform::AnswerNext(MsgResult answer) {
    std::lock_guard lock(mutex_);
    answers_.push_back(answer);
}

void ScriptedPlatform::OpenFileNext(std::optional<FileDialogResult> result) {
    std::lock_guard lock(mutex_);
    openAnswers_.push_back(std::move(result));
}

void ScriptedPlatform::SaveFileNext(std::optional<FileDialogResult> result) {
    std::lock_guard lock(mutex_);
    saveAnswers_.push_back(std::move(result));
}

void ScriptedPlatform::FolderNext(std::optional<std::string> folder) {
    std::lock_guard lock(mutex_);
    folderAnswers_.push_back(std::move(folder));
}

void ScriptedPlatform::FragmentAnswerNext(MsgResult answer) {
    std::lock_guard lock(mutex_);
    fragmentAnswers_.push_back(answer);
}

std::vector<int> ScriptedPlatform::MessageIds() const {
    std::vector<int> ids;
    for (const auto& m : messages) {
        ids.push_back(m.textId);
    }
    return ids;
}

MsgResult ScriptedPlatform::ShowMessage(const Message& message) {
    std::lock_guard lock(mutex_);
    messages.push_back(message);
    if (message.buttons == MsgButtons::Ok) {
        return MsgResult::Ok;
    }
    if (answers_.empty()) {
        return message.DefaultAnswer();
    }
    MsgResult answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::optional<FileDialogResult> ScriptedPlatform::ChooseOpenFile(const FileDialogRequest& request) {
    std::lock_guard lock(mutex_);
    openRequests.push_back(request);
    if (openAnswers_.empty()) {
        return std::nullopt;
    }
    auto answer = openAnswers_.front();
    openAnswers_.pop_front();
    return answer;
}

std::optional<FileDialogResult> ScriptedPlatform::ChooseSaveFile(const FileDialogRequest& request) {
    std::lock_guard lock(mutex_);
    saveRequests.push_back(request);
    if (saveAnswers_.empty()) {
        return std::nullopt;
    }
    auto answer = saveAnswers_.front();
    saveAnswers_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPlatform::BrowseForFolder(const std::string& title,
                                                             const std::string& startPath) {
    std::lock_guard lock(mutex_);
    (void)startPath;
    folderRequests.push_back(title);
    if (folderAnswers_.empty()) {
        return std::nullopt;
    }
    auto answer = folderAnswers_.front();
    folderAnswers_.pop_front();
    return answer;
}

std::string ScriptedPlatform::ReadClipboardText() {
    std::lock_guard lock(mutex_);
    if (!clipboardHasText_) {
        return {};
    }
    return clipboard_;
}

void ScriptedPlatform::PutClipboardText(const std::string& text) {
    std::lock_guard lock(mutex_);
    clipboard_ = text;
    clipboardHasText_ = true;
}

void ScriptedPlatform::RefreshMainWindow() {
    std::lock_guard lock(mutex_);
    ++refreshCount;
    selected_ = -1;
}

void ScriptedPlatform::RefreshTrackTexts() {
    std::lock_guard lock(mutex_);
    ++trackTextRefreshCount;
}

void ScriptedPlatform::UpdateTitle() {
    std::lock_guard lock(mutex_);
    ++titleUpdates;
}

void ScriptedPlatform::UpdateStatusBar() {
    std::lock_guard lock(mutex_);
    ++statusUpdates;
}

MsgResult ScriptedPlatform::ChooseFragments(const std::string& heading,
                                            const std::vector<FragmentRow>& rows) {
    std::lock_guard lock(mutex_);
    fragmentHeadings.push_back(heading);
    fragmentDialogs.push_back(rows);
    if (fragmentAnswers_.empty()) {
        return MsgResult::Yes;
    }
    MsgResult answer = fragmentAnswers_.front();
    fragmentAnswers_.pop_front();
    return answer;
}

}  // namespace tracklore
