#include "cli/ConsolePlatform.h"

#include "cli/Cli.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "model/Cp1252.h"
#include "resources/Strings.h"

namespace tracklore::cli {

std::string ConsoleMessageText(const std::string& caption, const std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        plain += text[i];
    }
    return caption + ": " + plain;
}

void ConsolePlatform::PresetOpenFile(std::string path, int filterIndex) {
    openPreset_ = FileDialogResult{std::move(path), filterIndex};
}

void ConsolePlatform::PresetSaveFile(std::string path, int filterIndex) {
    savePreset_ = FileDialogResult{std::move(path), filterIndex};
}

void ConsolePlatform::PresetFolder(std::string path) {
    folderPreset_ = std::move(path);
}

MsgResult ConsolePlatform::ShowMessage(const Message& message) {
    if (message.captionId == Number(str::ErrorCaption)) {
        errorShown_ = true;
    }
    std::cerr << ConsoleMessageText(message.caption, message.text) << "\n";
    if (message.buttons == MsgButtons::Ok) {
        return MsgResult::Ok;
    }
    return Decide(message);
}

MsgResult ConsolePlatform::Decide(const Message& message) {
    auto yes = [&] {
        switch (message.buttons) {
            case MsgButtons::OkCancel:
                return MsgResult::Ok;
            case MsgButtons::AbortRetryIgnore:
                return MsgResult::Retry;
            default:
                return MsgResult::Yes;
        }
    };
    auto no = [&] {
        switch (message.buttons) {
            case MsgButtons::OkCancel:
                return MsgResult::Cancel;
            case MsgButtons::AbortRetryIgnore:
                return MsgResult::Abort;
            default:
                return MsgResult::No;
        }
    };
    // A read error is not a yes/no question: retrying blindly could loop for ever, so
    // without a person at the terminal it takes the box's default (Abort).
    if (message.buttons == MsgButtons::AbortRetryIgnore && !isatty(STDIN_FILENO)) {
        return message.DefaultAnswer();
    }
    const AnswerMode mode =
        message.buttons == MsgButtons::AbortRetryIgnore ? AnswerMode::Ask : answerMode;
    if (mode == AnswerMode::Yes) {
        return yes();
    }
    if (mode == AnswerMode::No) {
        return no();
    }
    if (!isatty(STDIN_FILENO)) {
        return message.DefaultAnswer();
    }
    // Ask at the terminal; an empty line or the end of input takes the default button.
    // A choice's text names its key in brackets: "[j] Ja".
    struct Choice {
        StringId label;
        MsgResult result;
    };
    std::vector<Choice> choices;
    switch (message.buttons) {
        case MsgButtons::Ok:
            break;
        case MsgButtons::OkCancel:
            choices = {{str::CliChoiceOk, MsgResult::Ok},
                       {str::CliChoiceCancel, MsgResult::Cancel}};
            break;
        case MsgButtons::YesNo:
            choices = {{str::CliChoiceYes, MsgResult::Yes}, {str::CliChoiceNo, MsgResult::No}};
            break;
        case MsgButtons::YesNoCancel:
            choices = {{str::CliChoiceYes, MsgResult::Yes},
                       {str::CliChoiceNo, MsgResult::No},
                       {str::CliChoiceCancel, MsgResult::Cancel}};
            break;
        case MsgButtons::AbortRetryIgnore:
            choices = {{str::CliChoiceAbort, MsgResult::Abort},
                       {str::CliChoiceRetry, MsgResult::Retry},
                       {str::CliChoiceIgnore, MsgResult::Ignore}};
            break;
    }
    auto keyOf = [](StringId label) {
        const std::string_view text = ConsoleStrings().Text(label);
        return text.size() > 1
                   ? static_cast<char>(std::tolower(static_cast<unsigned char>(text[1])))
                   : '\0';
    };
    MsgResult fallback = message.DefaultAnswer();
    while (true) {
        for (std::size_t i = 0; i < choices.size(); ++i) {
            std::cerr << (i ? "  " : "") << ConsoleText(choices[i].label);
        }
        std::cerr << " ? " << std::flush;
        std::string line;
        if (!std::getline(std::cin, line) || line.empty()) {
            return fallback;
        }
        char key = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
        for (const auto& choice : choices) {
            if (keyOf(choice.label) == key) {
                return choice.result;
            }
        }
    }
}

std::optional<FileDialogResult> ConsolePlatform::ChooseOpenFile(const FileDialogRequest&) {
    auto result = openPreset_;
    openPreset_.reset();
    return result;
}

std::optional<FileDialogResult> ConsolePlatform::ChooseSaveFile(const FileDialogRequest&) {
    auto result = savePreset_;
    savePreset_.reset();
    return result;
}

std::optional<std::string> ConsolePlatform::BrowseForFolder(const std::string&,
                                                            const std::string&) {
    auto result = folderPreset_;
    folderPreset_.reset();
    return result;
}

MsgResult ConsolePlatform::ChooseFragments(const std::string& heading,
                                           const std::vector<FragmentRow>& rows) {
    if (printFragmentRows && output) {
        *output += heading + "\n";
        for (const auto& row : rows) {
            *output += row.number + "\t" + row.artist + "\t" + row.title + "\t" + row.size + "\n";
        }
    }
    // The dialog's focused button is "Ja".
    if (answerMode == AnswerMode::No) {
        return MsgResult::No;
    }
    return MsgResult::Yes;
}

}  // namespace tracklore::cli
