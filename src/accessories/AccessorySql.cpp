#include "accessories/AccessorySql.h"

#include "common/NumText.h"
#include "common/StrUtil.h"

namespace aerolyx::sql {

std::string Article(double adId) { return "SELECT ActCode, FsID FROM tblAccData WHERE AdID=" + NumToText(adId); }

std::string ArticleForSize(double fsId, const std::string& type)
{
    return "SELECT AdId, ActCode FROM tblAccData WHERE FsID=" + NumToText(fsId) + " AND ActCode='" +
           SqlQuote(type) + "'";
}

std::string PressureDropFormula(const std::string& field)
{
    return "SELECT ActCode, ActDpEqu FROM tblAccTypes WHERE tblAccTypes.ActDpFld='" + SqlQuote(field) + "'";
}

std::string AvailableAccessories(int fsId, const std::string& language, int priceList)
{
    return "SELECT tblAccData.AdID, tblAccData.AdName, tblAccData.AdEuro" + std::to_string(priceList) +
           ", tblAccTypes.ActDesc, tblLngTrans.TrnText, tblAccTypes.ActCode, tblLngTrans.TrnCode"
           " FROM (tblAccTypes INNER JOIN tblAccData ON tblAccTypes.ActCode = tblAccData.ActCode) INNER JOIN "
           "tblLngTrans ON tblAccTypes.ActCode = tblLngTrans.TrnCode"
           " Where (((tblAccData.FsID) = " +
           std::to_string(fsId) + " Or (tblAccData.FsID) Is Null) AND LngID='" + SqlQuote(language) + "')" +
           " ORDER BY tblAccData.AdName";
}

std::string ArticlePrices(int priceList)
{
    return "SELECT AdID, AdEuro" + std::to_string(priceList) + " FROM tblAccData";
}

}  // namespace aerolyx::sql
