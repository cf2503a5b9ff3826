#include "zarvo/chrono/timezone_abbreviations.h"

#include <utility>

namespace zarvo::chrono {

namespace {

// Several abbreviations are ambiguous in the world (IST, CST, BST); each keeps the one reading users of
// this table expect.
constexpr std::pair<std::u16string_view, int64_t> kAbbreviations[] = {
    {u"ACDT", 630}, {u"ACST", 570}, {u"ADT", -180}, {u"AEDT", 660}, {u"AEST", 600}, {u"AFT", 270},
    {u"AKDT", -480}, {u"AKST", -540}, {u"ALMT", 360}, {u"AMST", -180}, {u"AMT", -240}, {u"ANAT", 720},
    {u"AQTT", 300}, {u"ART", -180}, {u"AST", -240}, {u"AWDT", 540}, {u"AWST", 480}, {u"AZOT", -60},
    {u"AZST", 300}, {u"AZT", 240}, {u"BNT", 480}, {u"BOT", -240}, {u"BRST", -120}, {u"BRT", -180},
    {u"BST", 60}, {u"BTT", 360}, {u"CAST", 480}, {u"CAT", 120}, {u"CCT", 390}, {u"CDT", -300},
    {u"CEST", 120}, {u"CET", 60}, {u"CKT", -600}, {u"CLST", -180}, {u"CLT", -240}, {u"COT", -300},
    {u"CST", -360}, {u"CVT", -60}, {u"CXT", 420}, {u"DAVT", 420}, {u"EAST", -360}, {u"EAT", 180},
    {u"ECT", -300}, {u"EDT", -240}, {u"EEST", 180}, {u"EET", 120}, {u"EGST", 0}, {u"EGT", -60},
    {u"EST", -300}, {u"ET", -300}, {u"FJST", 780}, {u"FJT", 720}, {u"FKST", -180}, {u"FKT", -240},
    {u"FNT", -120}, {u"GALT", -360}, {u"GAMT", -540}, {u"GET", 240}, {u"GFT", -180}, {u"GILT", 720},
    {u"GMT", 0}, {u"GST", 240}, {u"GYT", -240}, {u"HAA", -180}, {u"HAC", -300}, {u"HADT", -540},
    {u"HAE", -240}, {u"HAP", -420}, {u"HAR", -360}, {u"HAST", -600}, {u"HAT", -90}, {u"HAY", -480},
    {u"HKT", 480}, {u"HLV", -210}, {u"HNA", -240}, {u"HNC", -360}, {u"HNE", -300}, {u"HNP", -480},
    {u"HNR", -420}, {u"HNT", -150}, {u"HNY", -540}, {u"HOVT", 420}, {u"ICT", 420}, {u"IDT", 180},
    {u"IOT", 360}, {u"IRDT", 270}, {u"IRKT", 540}, {u"IRST", 210}, {u"IST", 60}, {u"JST", 540},
    {u"KGT", 360}, {u"KRAT", 480}, {u"KST", 540}, {u"KUYT", 240}, {u"LHDT", 660}, {u"LHST", 630},
    {u"LINT", 840}, {u"MAGT", 720}, {u"MART", -510}, {u"MAWT", 300}, {u"MDT", -360}, {u"MESZ", 120},
    {u"MEZ", 60}, {u"MHT", 720}, {u"MMT", 390}, {u"MSD", 240}, {u"MSK", 240}, {u"MST", -420},
    {u"MUT", 240}, {u"MVT", 300}, {u"MYT", 480}, {u"NCT", 660}, {u"NDT", -90}, {u"NFT", 690},
    {u"NOVT", 360}, {u"NPT", 345}, {u"NST", -150}, {u"NUT", -660}, {u"NZDT", 780}, {u"NZST", 720},
    {u"OMST", 420}, {u"PDT", -420}, {u"PET", -300}, {u"PETT", 720}, {u"PGT", 600}, {u"PHOT", 780},
    {u"PHT", 480}, {u"PKT", 300}, {u"PMDT", -120}, {u"PMST", -180}, {u"PONT", 660}, {u"PST", -480},
    {u"PT", -480}, {u"PWT", 540}, {u"PYST", -180}, {u"PYT", -240}, {u"RET", 240}, {u"SAMT", 240},
    {u"SAST", 120}, {u"SBT", 660}, {u"SCT", 240}, {u"SGT", 480}, {u"SRT", -180}, {u"SST", -660},
    {u"TAHT", -600}, {u"TFT", 300}, {u"TJT", 300}, {u"TKT", 780}, {u"TLT", 540}, {u"TMT", 300},
    {u"TVT", 720}, {u"ULAT", 480}, {u"UTC", 0}, {u"UYST", -120}, {u"UYT", -180}, {u"UZT", 300},
    {u"VET", -210}, {u"VLAT", 660}, {u"VUT", 660}, {u"WAST", 120}, {u"WAT", 60}, {u"WEST", 60},
    {u"WESZ", 60}, {u"WET", 0}, {u"WEZ", 0}, {u"WFT", 720}, {u"WGST", -120}, {u"WGT", -180},
    {u"WIB", 420}, {u"WIT", 540}, {u"WITA", 480}, {u"WST", 780}, {u"WT", 0}, {u"YAKT", 600},
    {u"YAPT", 600}, {u"YEKT", 360},
};

}  // namespace

const std::map<std::u16string, int64_t, std::less<>>& timezoneAbbreviations() {
  static const std::map<std::u16string, int64_t, std::less<>> table = [] {
    std::map<std::u16string, int64_t, std::less<>> t;
    for (const auto& [abbreviation, offset] : kAbbreviations) t.emplace(abbreviation, offset);
    return t;
  }();
  return table;
}

std::optional<int64_t> timezoneAbbreviationOffset(std::u16string_view abbreviation) {
  const auto& table = timezoneAbbreviations();
  auto it = table.find(abbreviation);
  if (it == table.end()) return std::nullopt;
  return it->second;
}

}  // namespace zarvo::chrono
