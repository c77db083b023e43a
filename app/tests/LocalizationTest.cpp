// The string tables: a text for every key in each language, the key itself where
// a table lacks one, the user's language chosen at start, and the error title
// filled in safely whatever its table entry holds.
#include "WindowTestSupport.h"

#include "Localization.h"
#include "SecuritySettingsWindowController.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QTest>
#include <QTranslator>

namespace keelward {
namespace {

// Every text the window shows, in a fixed order.
QStringList WindowTexts(const WindowHarness& harness) {
    QStringList texts{harness.window().windowTitle(), harness.saveButton().text(), harness.lockButton().text(),
                      harness.lockButton().accessibleName()};
    for (const QLabel* label : harness.window().findChildren<QLabel*>()) texts << label->text();
    for (int i = 0; i < harness.modePopup().count(); ++i) texts << harness.modePopup().itemText(i);
    return texts;
}

void RemoveInstalledTranslators() {
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

class HostileTranslator final : public QTranslator {
public:
    explicit HostileTranslator(QString title) : title_(std::move(title)) {}
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override {
        if (qstrcmp(context, kStringTableContext) == 0 && qstrcmp(sourceText, kErrorHasOccurredTitle) == 0) {
            return title_;
        }
        return {};
    }

private:
    QString title_;
};

}  // namespace

class LocalizationTest final : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { RemoveInstalledTranslators(); }

    void everyKeyHasATextInEachLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << QStringLiteral("en");
        QTest::newRow("German") << QStringLiteral("de");
    }
    void everyKeyHasATextInEachLanguage() {
        QFETCH(QString, language);
        const QString folder = TranslationsDirectory();
        QVERIFY2(!folder.isEmpty(), "no compiled translations beside the test program");
        QTranslator table;
        QVERIFY(table.load(QStringLiteral("keelward_") + language, folder));
        for (const char* key : kStringTableKeys) {
            const QString text = table.translate(kStringTableContext, key);
            QVERIFY2(!text.isEmpty() && text != QLatin1String(key), key);
        }

        const QStringList keys = WindowTexts(WindowHarness(InMemoryRegistry::Machine()));
        QVERIFY(QCoreApplication::installTranslator(&table));
        const QStringList texts = WindowTexts(WindowHarness(InMemoryRegistry::Machine()));
        QCoreApplication::removeTranslator(&table);
        QCOMPARE(texts.size(), keys.size());
        for (qsizetype i = 0; i < keys.size(); ++i) {
            QVERIFY2(!keys[i].isEmpty() && texts[i] != keys[i], qPrintable(keys[i]));
        }
    }

    void aKeyNoTableHasShowsItself() {
        InstallTranslations(QLocale(QLocale::English));
        QCOMPARE(LocalizedString("NoSuchKey"), QStringLiteral("NoSuchKey"));
        QCOMPARE(LocalizedString(kSaveSucceededTitle), QStringLiteral("The settings have been saved."));
    }

    void theUserLanguageIsChosenOverEnglish_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("title");
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Austria)
                                << QStringLiteral("Die Einstellungen wurden gesichert.");
        QTest::newRow("no table: English") << QLocale(QLocale::Finnish, QLocale::Finland)
                                           << QStringLiteral("The settings have been saved.");
    }
    void theUserLanguageIsChosenOverEnglish() {
        QFETCH(QLocale, locale);
        QFETCH(QString, title);
        InstallTranslations(locale);
        QCOMPARE(LocalizedString(kSaveSucceededTitle), title);
    }

    void errorCodeIsSubstitutedSafely_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain") << QStringLiteral("Error (%d).") << -43 << QStringLiteral("Error (-43).");
        QTest::newRow("forms of an integer")
            << QStringLiteral("%i %ld %5d %-3d %1$d") << 7 << QStringLiteral("7 7 7 7 7");
        QTest::newRow("percent sign") << QStringLiteral("100%% %d") << 1 << QStringLiteral("100% 1");
        QTest::newRow("hostile conversions stay text")
            << QStringLiteral("%s%n%x %@ %9$s %") << 5 << QStringLiteral("%s%n%x %@ %9$s %");
        QTest::newRow("no conversion") << QStringLiteral("Error") << 5 << QStringLiteral("Error");
    }
    void errorCodeIsSubstitutedSafely() {
        QFETCH(QString, format);
        QFETCH(int, code);
        QFETCH(QString, title);
        QCOMPARE(SubstituteErrorCode(format, code), title);
    }

    void reportAnErrorShowsAHostileTitleAsText() {
        HostileTranslator hostile(QStringLiteral("%s%s%s%n <b>%d</b> %%"));
        QVERIFY(QCoreApplication::installTranslator(&hostile));
        auto alerts = std::make_shared<RecordingAlertPresenter>();
        {
            const ScopedAlertPresenter presenter(alerts);
            ReportAnError(QStringLiteral("Disk %s full 100%"), -36);
        }
        QCoreApplication::removeTranslator(&hostile);
        QCOMPARE(alerts->alerts.size(), std::size_t{1});
        QCOMPARE(alerts->alerts.front().title, QStringLiteral("%s%s%s%n <b>-36</b> %"));
        QCOMPARE(alerts->alerts.front().message, QStringLiteral("Disk %s full 100%"));
        QCOMPARE(alerts->alerts.front().button, QStringLiteral("OKButton"));
    }

    void reportAnErrorInEnglish() {
        InstallTranslations(QLocale(QLocale::English));
        auto alerts = std::make_shared<RecordingAlertPresenter>();
        const ScopedAlertPresenter presenter(alerts);
        ReportAnError(QStringLiteral("message"), -108);
        QCOMPARE(alerts->alerts.front().title, QStringLiteral("An error has occurred (-108)."));
        QCOMPARE(alerts->alerts.front().button, QStringLiteral("OK"));
    }
};

QObject* MakeLocalizationTest() { return new LocalizationTest; }

}  // namespace keelward

#include "LocalizationTest.moc"
