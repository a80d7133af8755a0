#include "extract_outcome.h"

namespace korvalt {

std::string OutcomeMessage(ExtractOutcome outcome, std::uint64_t notWritten) {
    switch (outcome) {
        case ExtractOutcome::NoPath:
            return std::string(kMessageNoPath);
        case ExtractOutcome::OpenFailed:
            return std::string(kMessageOpenFailed);
        case ExtractOutcome::NotPe:
            return std::string(kMessageNotPe);
        case ExtractOutcome::Done:
            return std::string(kMessageDone);
        case ExtractOutcome::InputShrank:
            return std::string(kMessageInputShrank);
        case ExtractOutcome::NotAllWritten:
            break;
    }
    std::string message(kMessageNotAllWrittenHead);
    message += std::to_string(notWritten);
    message += kMessageNotAllWrittenTail;
    return message;
}

}  // namespace korvalt
