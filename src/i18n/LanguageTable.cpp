// Until the full table is embedded, the status words are the only texts.
#include "i18n/LanguageTable.h"

namespace m350 {

std::string_view LanguageText(int key, int) {
    switch (key) {
        case 48: return "Ready";
        case 49: return "Cover Open";
        case 50: return "Paper Jam";
        case 51: return "Out of Paper";
        case 52: return "Out of Ribbon";
        case 53: return "Ribbon Encoder Err.";
        case 54: return "Pause";
        case 55: return "Printing";
        case 56: return "Other Error";
        default: return {};
    }
}

}  // namespace m350
