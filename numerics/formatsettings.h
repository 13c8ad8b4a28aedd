#pragma once
// Process-wide number and date settings of the program. They are captured once
// at start-up from the system locale (in main) or set explicitly by tests; the
// invariant-format switch pushes and pops them. Nothing in the program reads
// the C locale for data.
#include <string>

struct FormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    // Formats in the program's date dialect ("dd/mm/yyyy", "hh:nn:ss").
    std::string ShortDateFormat = "dd/mm/yyyy";
    std::string LongDateFormat = "dd/mm/yyyy hh:nn:ss";
    std::string LongTimeFormat = "hh:nn:ss";

    bool operator==(const FormatSettings&) const = default;
};

// The settings in force for the whole process.
FormatSettings& AjustesFormato();
