#pragma once
// The catalogue statements of the accessory routines. Each returns the SQL
// text; text arguments are quoted here, never by the caller.
#include <string>

namespace aerolyx::sql {

// Type and size of an article (ActCode, FsID; FsID null: fits every size).
std::string Article(double adId);
// The article of a type made for a size (AdId, ActCode).
std::string ArticleForSize(double fsId, const std::string& type);
// The accessory type whose pressure drop goes into a duty field (ActCode, ActDpEqu).
std::string PressureDropFormula(const std::string& field);
// Articles offered for a size (its own and the size-free ones) with their
// names in the language and the price of the price list, by name.
std::string AvailableAccessories(int fsId, const std::string& language, int priceList);
// Every article's price of the price list (AdID, AdEuro<n>).
std::string ArticlePrices(int priceList);

}  // namespace aerolyx::sql
