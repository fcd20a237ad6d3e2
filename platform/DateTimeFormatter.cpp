#include "DateTimeFormatter.h"

#include "LogCategories.h"

#include <unicode/datefmt.h>
#include <unicode/smpdtfmt.h>
#include <unicode/unistr.h>

namespace {
icu::DateFormat::EStyle icuStyle(DateTimeFormatter::Style style) {
    switch (style) {
    case DateTimeFormatter::Style::None:
        return icu::DateFormat::kNone;
    case DateTimeFormatter::Style::Short:
        return icu::DateFormat::kShort;
    case DateTimeFormatter::Style::Medium:
        return icu::DateFormat::kMedium;
    case DateTimeFormatter::Style::Long:
        return icu::DateFormat::kLong;
    case DateTimeFormatter::Style::Full:
        return icu::DateFormat::kFull;
    }
    return icu::DateFormat::kNone;
}

QString toQString(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}
} // namespace

struct DateTimeFormatter::Impl {
    std::unique_ptr<icu::DateFormat> format;
};

DateTimeFormatter::DateTimeFormatter(Style dateStyle, Style timeStyle)
    : impl_(std::make_unique<Impl>()) {
    impl_->format.reset(icu::DateFormat::createDateTimeInstance(
        icuStyle(dateStyle), icuStyle(timeStyle), icu::Locale::getDefault()));
    if (!impl_->format)
        qCWarning(lcPlatform, "No date format for the current locale; dates will be empty");
}

DateTimeFormatter::DateTimeFormatter(const QString& pattern) : impl_(std::make_unique<Impl>()) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString icuPattern(reinterpret_cast<const UChar*>(pattern.utf16()),
                                        static_cast<int32_t>(pattern.size()));
    auto format =
        std::make_unique<icu::SimpleDateFormat>(icuPattern, icu::Locale::getDefault(), status);
    if (U_FAILURE(status)) {
        qCWarning(lcPlatform, "Invalid date pattern \"%s\": %s", qPrintable(pattern),
                  u_errorName(status));
        return;
    }
    impl_->format = std::move(format);
}

DateTimeFormatter::~DateTimeFormatter() = default;

QString DateTimeFormatter::format(double secondsSinceEpoch) const {
    if (!impl_->format)
        return {};
    icu::UnicodeString out;
    impl_->format->format(static_cast<UDate>(secondsSinceEpoch * 1000.0), out);
    return toQString(out);
}
