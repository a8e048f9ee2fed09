// SPDX-License-Identifier: MIT
// Comparing two configuration records field by field: what a .dcf file holds
// against another file or the printer, and what a write asked for against
// what the printer reports afterwards.
//
// Values are compared in the form the write carries them, so a length that
// makes the round trip through the printer's own resolution is not a
// difference: lengths of the pages in the unit chosen (two decimals), the
// lengths of page "D" in hundredths of an inch, the print speed with one
// decimal, everything else exactly.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/config/config_record.h"

namespace m350 {

struct FieldDifference {
    Field field;
    // The compared form of each side; nullopt when the side does not know the
    // setting (presence 0).
    std::optional<std::string> left;
    std::optional<std::string> right;
};

// The fields the write of a page (kPageCommon ... kPageFtpUpdate) sends for
// this record: the page's settings that are present, with the page's own
// rules (the cutter pieces only in cutter mode, the sensor intensity of the
// sensor mode only, the module pages only when the module is there). Empty
// for a page outside 0..6.
std::vector<Field> fieldsWrittenBy(const ConfigRecord& record, int page);

// Every field of the record a person compares: all but the reserved block
// and the form's unit choice.
std::vector<Field> comparableFields();

// The compared form of a field (see above); nullopt when it is not known.
std::optional<std::string> comparedValue(const ConfigRecord& record, Field field, bool inch);

// The fields among `fields` whose compared forms differ, in the order given.
std::vector<FieldDifference> diffConfig(const ConfigRecord& left, const ConfigRecord& right,
                                        const std::vector<Field>& fields, bool inch);

}  // namespace m350
