#pragma once
// Identifiers of the string-table texts of data identifiers, field entry and NVE
// numbering (German ids; English ids are 1000 higher).

namespace palomex::ids {

// Catalogue, country and currency blocks.
inline constexpr int CatalogueNve = 2200;
inline constexpr int CatalogueFirst = 2200;
inline constexpr int CatalogueLast = 2340;
inline constexpr int CountryFirst = 2400;
inline constexpr int CountryLast = 2638;
inline constexpr int CurrencyFirst = 2700;
inline constexpr int CurrencyLast = 2751;

// Field entry.
inline constexpr int NotADate = 400;  // the question when a date field is left
inline constexpr int ShortDate = 401; // then 402 medium, 403 long
inline constexpr int TodayPlusDays = 404;
inline constexpr int RunningNumber = 405;
inline constexpr int OnlyDigits = 410;
inline constexpr int TooManyDigits = 411;
inline constexpr int TooManyDecimals = 412;
inline constexpr int TooManyIntegerDigits = 413;
inline constexpr int DateUnreadable = 414;
inline constexpr int CurrencyMissing = 415;
inline constexpr int NoNumber = 416;
inline constexpr int DesignationHint = 417;     // %1 the new designation
inline constexpr int DuplicateIdentifier = 418; // %1 the entry without format code
inline constexpr int AskDeleteLogo = 48;
inline constexpr int OpenFileTitle = 419; // %1 the program title
inline constexpr int PictureFilter = 420;
inline constexpr int WrongCheckDigit = 421; // %3 the digit typed, %4 the right one
inline constexpr int NotInBarcodeSet = 422; // %3 the character
inline constexpr int TooManyCharacters = 425;
inline constexpr int CharacterNotTaken = 426; // %3 the character
inline constexpr int DecimalPlaces = 423;     // %1 places of a decimal entry (not 1)
inline constexpr int OneDecimalPlace = 424;

} // namespace palomex::ids
