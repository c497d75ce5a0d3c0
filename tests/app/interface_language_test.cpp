// The interface language: the command line, the setting and its menu, the
// English translation file against the code, and every window in English
// with a recording whose own texts are ASCII, so that any Chinese character
// left on screen is a text that missed its translation.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include "about/about_form.h"
#include "app/app_settings.h"
#include "app/echo_dynamics_form.h"
#include "app/interface_language.h"
#include "app/main_form.h"
#include "qtest_main.h"
#include "report_page/defect_list_page.h"
#include "report_window/report_form.h"
#include "viewer_fixture.h"
#include "window_fixture.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

// Han characters, CJK punctuation and full-width forms.
const QRegularExpression
    kChinese(QStringLiteral("[\\x{3000}-\\x{303f}\\x{3400}-\\x{4dbf}\\x{4e00}-\\x{9fff}"
                            "\\x{f900}-\\x{faff}\\x{ff00}-\\x{ffef}]"));

bool hasChinese(const QString& text) { return text.contains(kChinese); }

// One message of a TS file.
struct TsMessage {
    QString context, source, translation, type;
};

std::vector<TsMessage> readTs(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
    QXmlStreamReader xml(&file);
    std::vector<TsMessage> messages;
    QString context;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            messages.push_back({context, {}, {}, {}});
        } else if (xml.name() == QLatin1String("source")) {
            messages.back().source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            messages.back().type = xml.attributes().value(QLatin1String("type")).toString();
            messages.back().translation = xml.readElementText();
        }
    }
    if (xml.hasError()) qFatal("%s: %s", qPrintable(path), qPrintable(xml.errorString()));
    return messages;
}

// Every text a person sees on a window and its children: titles, captions,
// items, headers, tooltips and the menus' items, each with where it is.
// Widgets named in `data` show the recording's texts and are passed over.
void collectTexts(QWidget* window, const QSet<QString>& data, QStringList& out) {
    auto add = [&out](const QObject* where, const QString& what, const QString& text) {
        if (!text.isEmpty())
            out << QStringLiteral("%1.%2: %3").arg(where->objectName(), what, text);
    };
    std::function<void(QMenu*)> menu = [&](QMenu* m) {
        if (m->objectName() == QLatin1String("LanguageItem")) {
            // Named in both scripts on purpose; its items each in their own.
            for (QAction* a : m->actions())
                if (a->objectName() != QLatin1String("LanguageChinese"))
                    add(a, QStringLiteral("text"), a->text());
            return;
        }
        add(m, QStringLiteral("title"), m->title());
        for (QAction* a : m->actions()) {
            if (a->menu()) {
                menu(a->menu());
                continue;
            }
            add(a, QStringLiteral("text"), a->text());
            add(a, QStringLiteral("toolTip"),
                a->toolTip() == a->text().remove('&') ? QString() : a->toolTip());
        }
    };
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    add(window, QStringLiteral("windowTitle"), window->windowTitle());
    for (QWidget* w : widgets) {
        if (data.contains(w->objectName())) continue;
        add(w, QStringLiteral("toolTip"), w->toolTip());
        add(w, QStringLiteral("statusTip"), w->statusTip());
        if (auto* l = qobject_cast<QLabel*>(w)) add(l, QStringLiteral("text"), l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(w)) add(b, QStringLiteral("text"), b->text());
        if (auto* g = qobject_cast<QGroupBox*>(w)) add(g, QStringLiteral("title"), g->title());
        if (auto* e = qobject_cast<QLineEdit*>(w)) add(e, QStringLiteral("text"), e->text());
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                add(c, QStringLiteral("item"), c->itemText(i));
        if (auto* t = qobject_cast<QTableWidget*>(w))
            for (int i = 0; i < t->columnCount(); ++i)
                if (t->horizontalHeaderItem(i))
                    add(t, QStringLiteral("header"), t->horizontalHeaderItem(i)->text());
        if (auto* m = qobject_cast<QMenu*>(w)) menu(m);
    }
    if (auto* bar = window->findChild<QMenuBar*>())
        for (QAction* a : bar->actions())
            if (!a->menu()) add(a, QStringLiteral("text"), a->text());
}

} // namespace

class InterfaceLanguageTest : public QObject {
    Q_OBJECT

private slots:
    void startArguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("language"); // -1: none given
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("error");
        auto row = [](const char* name, QStringList args, int language, QString file, bool error) {
            args.prepend(QStringLiteral("vantrel"));
            QTest::newRow(name) << args << language << file << error;
        };
        const int zh = static_cast<int>(Language::Chinese),
                  en = static_cast<int>(Language::English);
        row("nothing", {}, -1, {}, false);
        row("file", {"a.DAT"}, -1, "a.DAT", false);
        row("english and file", {"--lang", "en", "a.DAT"}, en, "a.DAT", false);
        row("file and chinese", {"a.DAT", "--lang=zh"}, zh, "a.DAT", false);
        row("unknown language", {"--lang", "fr", "a.DAT"}, -1, {}, true);
        row("language code in capitals", {"--lang", "EN"}, -1, {}, true);
        row("no language", {"--lang"}, -1, {}, true);
        row("unknown option", {"--colour", "a.DAT"}, -1, {}, true);
        row("two files", {"a.DAT", "b.DAT"}, -1, {}, true);
    }
    void startArguments() {
        QFETCH(QStringList, args);
        QFETCH(int, language);
        QFETCH(QString, file);
        QFETCH(bool, error);
        const StartArguments parsed = parseStartArguments(args);
        QCOMPARE(!parsed.error.isEmpty(), error);
        if (error) return;
        QCOMPARE(parsed.language ? static_cast<int>(*parsed.language) : -1, language);
        QCOMPARE(parsed.file, file);
    }

    // Without a choice the interface is Chinese, and the windows show the
    // instrument's captions.
    void chineseIsTheDefault() {
        appSettings().clear();
        QCOMPARE(savedLanguage(), Language::Chinese);
        QCOMPARE(interfaceLanguage(), Language::Chinese);
        OpenRecording recording(viewerDataFolder());
        PacedMainForm form(recording, 100000);
        QCOMPARE(form.findChild<QMenu*>("FileItem")->title(), QString("文件(&F)"));
        QVERIFY(form.findChild<QAction*>("LanguageChinese")->isChecked());
        QVERIFY(!form.findChild<QAction*>("LanguageEnglish")->isChecked());
    }

    // 帮助 › 语言/Language keeps the choice for the next start and says so in
    // both languages; choosing the language in force says nothing.
    void languageMenuKeepsTheChoice() {
        appSettings().clear();
        OpenRecording recording(viewerDataFolder());
        PacedMainForm form(recording, 100000);
        QAction* english = form.findChild<QAction*>("LanguageEnglish");
        QAction* chinese = form.findChild<QAction*>("LanguageChinese");
        QCOMPARE(form.findChild<QMenu*>("LanguageItem")->title(), QString("语言/Language"));
        english->trigger();
        QCOMPARE(savedLanguage(), Language::English);
        QVERIFY(english->isChecked() && !chinese->isChecked());
        auto* box = form.findChild<QMessageBox*>("LanguageChangedMessage");
        QVERIFY(box);
        QVERIFY(hasChinese(box->text()));
        QVERIFY(box->text().contains("next time Vantrel starts"));
        box->close();
        QTRY_VERIFY(!form.findChild<QMessageBox*>("LanguageChangedMessage"));
        // The next start's windows show the choice.
        {
            OpenRecording again(viewerDataFolder());
            PacedMainForm next(again, 100000);
            QCOMPARE(savedLanguage(), Language::English);
        }
        chinese->trigger();
        QCOMPARE(savedLanguage(), Language::Chinese);
        QVERIFY(chinese->isChecked() && !english->isChecked());
        QVERIFY(!form.findChild<QMessageBox*>("LanguageChangedMessage"));
    }

    // Every entry of the English translation is finished, none is left over
    // from a text the code no longer has, and none is in Chinese.
    void translationFileIsComplete() {
        const std::vector<TsMessage> messages = readTs(QStringLiteral(VANTREL_TS_FILE));
        QVERIFY(messages.size() > 100);
        QSet<QString> seen;
        for (const TsMessage& m : messages) {
            const QString where = m.context + " / " + m.source;
            QVERIFY2(m.type.isEmpty(), qPrintable(where + ": " + m.type));
            QVERIFY2(!m.translation.isEmpty(), qPrintable(where));
            QVERIFY2(!hasChinese(m.translation), qPrintable(where + ": " + m.translation));
            QVERIFY2(hasChinese(m.source), qPrintable(where)); // the sources are the Chinese texts
            QVERIFY2(!seen.contains(where), qPrintable(where));
            seen.insert(where);
            // Placeholders and menu mnemonics survive the translation.
            for (const char* mark : {"%1", "%2"})
                QVERIFY2(m.source.contains(mark) == m.translation.contains(mark),
                         qPrintable(where));
            QVERIFY2(m.source.contains('&') == m.translation.contains('&'), qPrintable(where));
        }
    }

    // lupdate, run over the sources as they are, finds no text the file
    // lacks and none it holds in vain: the file it writes is the file.
    void translationFileMatchesTheCode() {
        const QString lupdate = QStringLiteral(VANTREL_LUPDATE);
        if (lupdate.isEmpty() || !QFile::exists(lupdate)) QSKIP("lupdate is missing");
        QTemporaryDir dir;
        const QString copy = dir.filePath("vantrel_en.ts");
        QVERIFY(QFile::copy(QStringLiteral(VANTREL_TS_FILE), copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        QProcess run;
        run.start(lupdate, {"-locations", "none", "-no-ui-lines",
                            QStringLiteral(VANTREL_SOURCE_DIR), "-ts", copy});
        QVERIFY(run.waitForFinished(120000));
        QCOMPARE(run.exitCode(), 0);
        QStringList changed;
        for (const TsMessage& m : readTs(copy))
            if (!m.type.isEmpty()) changed << m.type + ": " + m.context + " / " + m.source;
        QVERIFY2(changed.isEmpty(), qPrintable(changed.join('\n')));
        QFile a(QStringLiteral(VANTREL_TS_FILE)), b(copy);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), a.readAll());
    }

    // In English no window shows a Chinese character but the recording's
    // own texts; Qt's own dialogs are English too.
    void englishWindowsShowNoChinese() {
        QVERIFY(installInterfaceLanguage(*QCoreApplication::instance(), Language::English));
        QCOMPARE(interfaceLanguage(), Language::English);
        appSettings().clear();
        const QString file =
            QString::fromStdString(viewerFile("english.DAT", std::vector<int>(12, 4), {2, 6}, {4}));

        OpenRecording recording(viewerDataFolder());
        PacedMainForm main(recording, 100000);
        TAboutForm about(&main);
        TReportForm report(&main);
        report.setSource(TReportForm::sourceOf(main.core()));
        main.showAbout = [&about] { about.show(); };
        main.showReport = [&report] { report.show(); };
        main.show();
        main.openFile(file);
        main.openFile(QString::fromStdString(tempPath("english-missing.DAT")));
        main.EchoDynamicsItemClick();
        TEchoDynamicsForm& dynamics = main.echoDynamics();
        QTRY_VERIFY_WITH_TIMEOUT(!dynamics.computing() && dynamics.overview(), 10000);
        main.btnPrintClick();
        main.AboutItemClick();
        QVERIFY(report.isVisible() && about.isVisible());

        // The recording's texts: readouts, panel values, the report's filled
        // fields (checked below for their units).
        QSet<QString> data = {"LabelPara1", "LabelPara2", "LabelPara3", "LabelPara4", "lblReject"};
        for (QLineEdit* e : main.findChildren<QLineEdit*>())
            data.insert(e->objectName());
        for (const PageField& f : reportFields())
            data.insert(QString::fromLatin1(f.name));

        QStringList texts;
        for (QWidget* w : QList<QWidget*>{&main, &about, &report, &dynamics})
            collectTexts(w, data, texts);
        auto* failed = main.findChild<QMessageBox*>("OpenFailedMessage");
        QVERIFY(failed);
        collectTexts(failed, {}, texts);
        for (const QString& t : reportPageTexts(report.fill()))
            texts << "page: " + t;
        for (const QString& t : defectListPageTexts())
            texts << "defect list: " + t;
        QVERIFY(texts.size() > 100);
        QStringList chinese;
        for (const QString& t : texts)
            if (hasChinese(t)) chinese << t;
        QVERIFY2(chinese.isEmpty(), qPrintable(chinese.join('\n')));

        // Spot checks that the English is there, and the data is not touched.
        QCOMPARE(main.findChild<QMenu*>("FileItem")->title(), QString("&File"));
        QCOMPARE(main.findChild<QPushButton*>("RzButtonPlay")->toolTip(), QString("Play (Space)"));
        QVERIFY(report.fieldText(QString::fromLatin1(reportfield::kRefraction)).endsWith("° "));
        QVERIFY(main.findChild<QLineEdit*>("BaseGain")->text().contains("10.0"));
        // The panel's one word, the probe type, and the system's reason for
        // a failed open follow the interface too.
        QCOMPARE(main.findChild<QLineEdit*>("ProbeType")->text(), QString("Straight"));
        QCOMPARE(report.fieldText(QString::fromLatin1(reportfield::kType)), QString("Straight"));
        QVERIFY2(failed->text().endsWith(": the file does not exist"), qPrintable(failed->text()));
        QMessageBox box(QMessageBox::Warning, "Vantrel", "x",
                        QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QString("OK"));
        failed->close();
        report.close();
        about.close();
        dynamics.close();
    }
};

VANTREL_QTEST(InterfaceLanguageTest);

#include "interface_language_test.moc"
