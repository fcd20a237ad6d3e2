#include "PercentFormatter.h"

#include "LogCategories.h"

#include <unicode/numfmt.h>
#include <unicode/unistr.h>

struct PercentFormatter::Impl {
    std::unique_ptr<icu::NumberFormat> format;
};

PercentFormatter::PercentFormatter() : impl_(std::make_unique<Impl>()) {
    UErrorCode status = U_ZERO_ERROR;
    impl_->format.reset(
        icu::NumberFormat::createPercentInstance(icu::Locale::getDefault(), status));
    if (U_FAILURE(status)) {
        qCWarning(lcPlatform, "No percent format for the current locale: %s", u_errorName(status));
        impl_->format.reset();
    }
}

PercentFormatter::~PercentFormatter() = default;

QString PercentFormatter::format(double fraction) const {
    if (!impl_->format)
        return QString::number(fraction * 100.0, 'f', 0) + QLatin1Char('%');
    icu::UnicodeString out;
    impl_->format->format(fraction, out);
    return QString(reinterpret_cast<const QChar*>(out.getBuffer()), out.length());
}
