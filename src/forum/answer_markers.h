#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "forum/message_texts.h"

namespace tamsor {

// A phrase the forum puts into an answer and the message code it stands for.
struct AnswerMarker {
    std::string_view phrase;
    MessageCode code;
};

// The code of the first row whose phrase occurs in the answer: the rows are tried in order and
// an answer holding several phrases is decided by the earliest row.
inline std::optional<MessageCode> first_marker_code(std::string_view answer,
                                                    std::span<const AnswerMarker> markers) {
    for (const AnswerMarker& row : markers) {
        if (answer.find(row.phrase) != std::string_view::npos) {
            return row.code;
        }
    }
    return std::nullopt;
}

}  // namespace tamsor
