#pragma once

#include <string>

#include "resources/Strings.h"

namespace tracklore {

// The first line a reader could not accept: the message that names it, the 1-based line
// number and, for messages that quote it, the trimmed line text.
struct ReadError {
    StringId text = StringId::None;
    int line = 0;
    std::string lineText;
    bool quotesLine = false;
};

}  // namespace tracklore
