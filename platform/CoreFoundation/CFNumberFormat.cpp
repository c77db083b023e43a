// The grouping separator comes from a private copy of the current LC_NUMERIC locale
// (newlocale/nl_langinfo_l), so reading it neither depends on nor disturbs the
// process-wide buffer that localeconv hands out.
#include <keelward/platform/CoreFoundation/CFNumberFormat.h>
#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

#include <unicode/ucnv.h>

#include <clocale>
#include <langinfo.h>
#include <limits>
#include <locale.h>
#include <memory>
#include <new>

namespace keelward {

namespace {

struct LocaleDeleter {
    void operator()(locale_t locale) const { freelocale(locale); }
};
using LocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

struct ConverterDeleter {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterHandle = std::unique_ptr<UConverter, ConverterDeleter>;

}  // namespace

std::optional<std::u16string> CFDecodeLocaleText(std::string_view bytes, const char* codeset) {
    if (codeset == nullptr || bytes.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max() / 2)) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    ConverterHandle converter(ucnv_open(codeset, &status));
    if (U_FAILURE(status) || converter == nullptr) return std::nullopt;
    // Refuse malformed bytes instead of substituting U+FFFD.
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    if (U_FAILURE(status)) return std::nullopt;
    // A byte never yields more than two code units.
    std::u16string text(bytes.size() * 2 + 1, u'\0');
    const auto length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(text.data()),
                                      static_cast<int32_t>(text.size()), bytes.data(),
                                      static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || length < 0) return std::nullopt;
    text.resize(static_cast<std::size_t>(length));
    return text;
}

CFStringRef CFNumberFormatCopySystemGroupingSeparator() {
    try {
        const char* current = std::setlocale(LC_NUMERIC, nullptr);
        if (current == nullptr) return nullptr;
        const std::string name(current);
        LocaleHandle locale(newlocale(LC_NUMERIC_MASK | LC_CTYPE_MASK, name.c_str(), locale_t{}));
        if (!locale) return nullptr;
        const char* separator = nl_langinfo_l(THOUSEP, locale.get());
        if (separator == nullptr || *separator == '\0') return nullptr;
        const std::optional<std::u16string> text =
            CFDecodeLocaleText(separator, nl_langinfo_l(CODESET, locale.get()));
        if (!text || text->empty()) return nullptr;
        return CFStringCreateWithCharacters(kCFAllocatorDefault, text->data(), static_cast<CFIndex>(text->size()));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace keelward
