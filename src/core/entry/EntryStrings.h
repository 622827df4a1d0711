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

} // namespace palomex::ids
