#pragma once
// The format code of a data identifier entry ("¤N=14", "©A…20", "‡=6", "®µN=3"):
// marker characters, the content type and the length part, parsed once.

#include <QString>
#include <QStringView>
#include <optional>

namespace palomex {

// Marker and mark characters shared by the catalogue, the field rules and the encoder.
namespace mark {
inline constexpr QChar CheckDigit{0x00A4};  // ¤ last digit is a modulo-10 check digit
inline constexpr QChar Running{0x00A9};     // © batch or serial number that can run on
inline constexpr QChar Country{0x00AE};     // ® ISO country code in front
inline constexpr QChar Separator{0x00B5};   // µ FNC1 separator due after the content
inline constexpr QChar Date{0x2020};        // † date YYMMDD
inline constexpr QChar Decimal{0x2021};     // ‡ decimal value, places in the fourth digit
inline constexpr QChar Ellipsis{0x2026};    // … variable length up to n
inline constexpr QChar Placeholder{0x00A5}; // ¥ where the encoder puts the check digit
inline constexpr QChar OpenRun{0x00AB};     // « start of the running part of a © field
inline constexpr QChar CloseRun{0x00BB};    // » end of the running part
} // namespace mark

struct FormatCode {
    enum class Type { Numeric, Alphanumeric, Date, Decimal };

    QString text; // as it stands after "|"
    Type type = Type::Alphanumeric;
    bool checkDigit = false;
    bool running = false;
    bool country = false;
    bool separator = false; // "µ" although the length is fixed
    bool fixedLength = false;
    int length = 0; // n: exact length with "=", maximum with "…"

    bool numeric() const { return type == Type::Numeric; }
    bool isDate() const { return type == Type::Date; }
    bool isDecimal() const { return type == Type::Decimal; }
    // Whether the barcode content is followed by the separator mark.
    bool needsSeparator() const { return separator || !fixedLength; }
    // Digits the user types for a check-digit field: the encoder adds the last one.
    int digitsWithoutCheck() const { return checkDigit ? length - 1 : length; }

    // Markers, then at most one type letter, then "=" or "…" and the length; blanks
    // anywhere carry no meaning. Anything else is not a format code.
    static std::optional<FormatCode> parse(QStringView code);
};

} // namespace palomex
