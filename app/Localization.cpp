#include "Localization.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace keelward {
namespace {

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Length of the integer conversion that starts at `format[start]` ('%'), or 0 when
// none starts there. Accepted: an argument position ("1$"), flags, a width, a
// length modifier, then 'd' or 'i'.
qsizetype IntegerConversionLength(const QString& format, qsizetype start) {
    qsizetype i = start + 1;
    const qsizetype size = format.size();
    qsizetype digits = i;
    while (digits < size && IsDigit(format[digits])) ++digits;
    if (digits > i && digits < size && format[digits] == u'$') i = digits + 1;
    while (i < size && QStringView(u"-+ 0#'").contains(format[i])) ++i;
    while (i < size && IsDigit(format[i])) ++i;
    while (i < size && QStringView(u"hlqjzt").contains(format[i])) ++i;
    if (i < size && (format[i] == u'd' || format[i] == u'i')) return i + 1 - start;
    return 0;
}

// Relative path from the installed program's folder to the installed translations.
#ifndef KEELWARD_TRANSLATIONS_RELATIVE_DIR
#define KEELWARD_TRANSLATIONS_RELATIVE_DIR "../share/keelward/translations"
#endif

}  // namespace

QString LocalizedString(const char* key) { return QCoreApplication::translate(kStringTableContext, key); }

QString SubstituteErrorCode(const QString& format, SInt32 code) {
    const QString number = QString::number(code);
    QString result;
    result.reserve(format.size() + number.size());
    for (qsizetype i = 0; i < format.size();) {
        if (format[i] != u'%') {
            result.append(format[i++]);
        } else if (i + 1 < format.size() && format[i + 1] == u'%') {
            result.append(u'%');
            i += 2;
        } else if (const qsizetype length = IntegerConversionLength(format, i); length > 0) {
            result.append(number);
            i += length;
        } else {
            result.append(format[i++]);
        }
    }
    return result;
}

QString TranslationsDirectory() {
    const QDir programDir(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {programDir.filePath(QStringLiteral("translations")),
          programDir.filePath(QStringLiteral(KEELWARD_TRANSLATIONS_RELATIVE_DIR))}) {
        if (QFileInfo::exists(QDir(candidate).filePath(QStringLiteral("keelward_en.qm")))) {
            return QDir::cleanPath(candidate);
        }
    }
    return {};
}

void InstallTranslations(const QLocale& locale) {
    QCoreApplication* application = QCoreApplication::instance();
    const QString folder = TranslationsDirectory();
    auto install = [application](const QString& name, const QString& directory, const QLocale* inLocale) {
        auto* translator = new QTranslator(application);
        const bool loaded = inLocale != nullptr
                                ? translator->load(*inLocale, name, QStringLiteral("_"), directory)
                                : translator->load(name, directory);
        if (loaded && QCoreApplication::installTranslator(translator)) return;
        delete translator;
    };
    // Translators installed later are asked first: the locale's table, then English.
    if (!folder.isEmpty()) {
        install(QStringLiteral("keelward_en"), folder, nullptr);
        install(QStringLiteral("keelward"), folder, &locale);
    }
    install(QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath), &locale);
}

}  // namespace keelward
