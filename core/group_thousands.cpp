#include "core/group_thousands.h"

TString GroupThousands(const TString& text) {
    TString grouped(text);
    // Inserting from the right leaves the positions further left unchanged.
    for (TString::size_type position = text.size(); position > 3;) {
        position -= 3;
        grouped.insert(position, 1, u' ');
    }
    return grouped;
}
