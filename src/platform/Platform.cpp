#include "platform/Platform.h"

#include "resources/Strings.h"

namespace tracklore {

MsgResult Message::DefaultAnswer() const {
    static const MsgResult ok[] = {MsgResult::Ok};
    static const MsgResult okCancel[] = {MsgResult::Ok, MsgResult::Cancel};
    static const MsgResult yesNo[] = {MsgResult::Yes, MsgResult::No};
    static const MsgResult yesNoCancel[] = {MsgResult::Yes, MsgResult::No, MsgResult::Cancel};
    static const MsgResult abortRetryIgnore[] = {MsgResult::Abort, MsgResult::Retry,
                                                 MsgResult::Ignore};
    const MsgResult* list = ok;
    int count = 1;
    switch (buttons) {
        case MsgButtons::Ok:
            list = ok;
            count = 1;
            break;
        case MsgButtons::OkCancel:
            list = okCancel;
            count = 2;
            break;
        case MsgButtons::YesNo:
            list = yesNo;
            count = 2;
            break;
        case MsgButtons::YesNoCancel:
            list = yesNoCancel;
            count = 3;
            break;
        case MsgButtons::AbortRetryIgnore:
            list = abortRetryIgnore;
            count = 3;
            break;
    }
    int index = defaultButton >= 0 && defaultButton < count ? defaultButton : 0;
    return list[index];
}

std::vector<FileFilter> ParseFilterList(const std::string& text) {
    std::vector<FileFilter> filters;
    auto pieces = SplitList(text, '|');
    for (std::size_t i = 0; i + 1 < pieces.size(); i += 2) {
        filters.push_back({pieces[i], pieces[i + 1]});
    }
    return filters;
}

}  // namespace tracklore
