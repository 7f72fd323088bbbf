#include "platform/system_language.h"

#include <array>
#include <cstdlib>
#include <string>

namespace tavrin::platform {
namespace {

struct LocaleId {
    std::string_view locale;  // language, or language_REGION
    std::uint16_t id;
};

// Region-specific identifiers first; a language alone names its main region.
constexpr std::array kLocales = std::to_array<LocaleId>({
    {"en_US", 1033},
    {"en_GB", 2057},
    {"en_AU", 3081},
    {"en_CA", 4105},
    {"en_NZ", 5129},
    {"en_IE", 6153},
    {"en_ZA", 7177},
    {"en_JM", 8201},
    {"en_BZ", 10249},
    {"en_TT", 11273},
    {"en_ZW", 12297},
    {"en_PH", 13321},
    {"en_IN", 16393},
    {"en_MY", 17417},
    {"en_SG", 18441},
    {"fr_FR", 1036},
    {"fr_BE", 2060},
    {"fr_CA", 3084},
    {"fr_CH", 4108},
    {"fr_LU", 5132},
    {"fr_MC", 6156},
    {"es_ES", 3082},
    {"es_MX", 2058},
    {"es_GT", 4106},
    {"es_CR", 5130},
    {"es_PA", 6154},
    {"es_DO", 7178},
    {"es_VE", 8202},
    {"es_CO", 9226},
    {"es_PE", 10250},
    {"es_AR", 11274},
    {"es_EC", 12298},
    {"es_CL", 13322},
    {"es_UY", 14346},
    {"es_PY", 15370},
    {"es_BO", 16394},
    {"es_SV", 17418},
    {"es_HN", 18442},
    {"es_NI", 19466},
    {"es_PR", 20490},
    {"es_US", 21514},
    {"es_419", 22538},
    {"pt_BR", 1046},
    {"pt_PT", 2070},
    {"nl_NL", 1043},
    {"nl_BE", 2067},
    {"zh_CN", 2052},
    {"zh_TW", 1028},
    {"zh_HK", 3076},
    {"zh_SG", 4100},
    {"zh_MO", 5124},
    {"de_DE", 1031},
    {"de_CH", 2055},
    {"de_AT", 3079},
    {"de_LU", 4103},
    {"de_LI", 5127},
    {"it_IT", 1040},
    {"it_CH", 2064},
    {"sv_SE", 1053},
    {"sv_FI", 2077},
    {"ja_JP", 1041},
    {"ko_KR", 1042},
    {"ru_RU", 1049},
    {"pl_PL", 1045},
    {"cs_CZ", 1029},
    {"da_DK", 1030},
    {"fi_FI", 1035},
    {"el_GR", 1032},
    {"hu_HU", 1038},
    {"nb_NO", 1044},
    {"tr_TR", 1055},
    {"uk_UA", 1058},
    {"ar_SA", 1025},
    {"he_IL", 1037},
    {"th_TH", 1054},
    {"vi_VN", 1066},
    {"id_ID", 1057},
    {"ro_RO", 1048},
    {"en", 1033},
    {"fr", 1036},
    {"es", 3082},
    {"pt", 2070},
    {"nl", 1043},
    {"zh", 2052},
    {"de", 1031},
    {"it", 1040},
    {"sv", 1053},
    {"ja", 1041},
    {"ko", 1042},
    {"ru", 1049},
    {"pl", 1045},
    {"cs", 1029},
    {"da", 1030},
    {"fi", 1035},
    {"el", 1032},
    {"hu", 1038},
    {"nb", 1044},
    {"no", 1044},
    {"tr", 1055},
    {"uk", 1058},
    {"ar", 1025},
    {"he", 1037},
    {"th", 1054},
    {"vi", 1066},
    {"id", 1057},
    {"ro", 1048},
});

std::uint16_t Find(std::string_view name)
{
    for (const LocaleId& entry : kLocales)
        if (entry.locale == name)
            return entry.id;
    return 0;
}

}  // namespace

std::uint16_t LanguageIdOfLocale(std::string_view locale)
{
    // language[_REGION][.codeset][@modifier]
    const std::size_t end = locale.find_first_of(".@");
    std::string name(locale.substr(0, end));
    for (char& c : name)
        if (c == '-')
            c = '_';
    const std::size_t separator = name.find('_');
    std::string language = name.substr(0, separator);
    for (char& c : language)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    std::string region = separator == std::string::npos ? std::string() : name.substr(separator + 1);
    for (char& c : region)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (!region.empty())
        if (const std::uint16_t id = Find(language + "_" + region))
            return id;
    if (const std::uint16_t id = Find(language))
        return id;
    return kEnglishUnitedStates;
}

std::uint16_t SystemLanguageId()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return LanguageIdOfLocale(value);
    }
    return kEnglishUnitedStates;
}

}  // namespace tavrin::platform
