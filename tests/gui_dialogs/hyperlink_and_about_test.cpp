#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "app/dialogs/about_dialog.h"
#include "app/dialogs/hyperlink.h"
#include "app/dialogs/message_box.h"

using namespace tovel;

namespace {

// Replaces the desktop's handler: records what would have been opened.
struct RecordingOpener {
    QList<QUrl> opened;
    bool succeeds = true;

    void attach(CHyperLink& link) {
        link.setUrlOpener([this](const QUrl& url) {
            opened.append(url);
            return succeeds;
        });
    }
};

} // namespace

class HyperlinkAndAboutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { MessageBox::takeShownTexts(); }

    void styleChangesThatContradictThemselvesAreRefused() {
        CHyperLink link(QStringLiteral("https://example.org"));
        QCOMPARE(link.style(), std::uint32_t{0x15});
        QVERIFY(link.font().underline());
        QVERIFY(!link.modifyStyle(0x01, 0x01, true));
        QCOMPARE(link.style(), std::uint32_t{0x15});
        QVERIFY(link.font().underline());

        QVERIFY(
            link.modifyStyle(CHyperLink::Underline, CHyperLink::UseHover | CHyperLink::NoHandCursor, true));
        QCOMPARE(link.style(), std::uint32_t{0x36});
        QVERIFY(!link.font().underline());
        QCOMPARE(link.cursor().shape(), Qt::ArrowCursor);
    }

    void aClickOpensTheTextAsTargetAndMarksTheLinkVisited() {
        CHyperLink link(QStringLiteral("https://example.org/page"));
        RecordingOpener opener;
        opener.attach(link);
        QCOMPARE(link.url(), QStringLiteral("https://example.org/page"));
        QCOMPARE(link.toolTip(), link.url());
        QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(link.textColour(), CHyperLink::unvisitedColour());
        link.show();
        link.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&link));

        QTest::mouseClick(&link, Qt::LeftButton);
        QCOMPARE(opener.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/page"))});
        QVERIFY(link.isVisited());
        QVERIFY(link.hasFocus());
        QCOMPARE(link.textColour(), CHyperLink::focusedColour());
        link.clearFocus();
        QCOMPARE(link.textColour(), CHyperLink::visitedColour());
        QVERIFY(MessageBox::takeShownTexts().isEmpty());
    }

    void theSpaceBarOpensAFocusedLink() {
        CHyperLink link(QStringLiteral("mailto"));
        link.setURL(QStringLiteral("mailto:someone@example.org"));
        RecordingOpener opener;
        opener.attach(link);
        link.show();
        link.setFocus();
        QTest::keyClick(&link, Qt::Key_A);
        QTest::keyClick(&link, Qt::Key_Return);
        QVERIFY(opener.opened.isEmpty());
        QTest::keyClick(&link, Qt::Key_Space);
        QCOMPARE(opener.opened, QList<QUrl>{QUrl(QStringLiteral("mailto:someone@example.org"))});
        QCOMPARE(link.text(), QStringLiteral("mailto"));
    }

    void onlyWebAndMailTargetsAreOpened() {
        for (const char* refused : {"file:///etc/passwd", "javascript:alert(1)", "/usr/bin/xterm", "http://",
                                    "ftp://example.org", "; rm -rf ~"}) {
            CHyperLink link(QString::fromUtf8(refused));
            RecordingOpener opener;
            opener.attach(link);
            MessageBox::setNextAnswer(QMessageBox::Ok);
            QVERIFY(!link.gotoURL());
            QVERIFY2(opener.opened.isEmpty(), refused);
            QCOMPARE(
                MessageBox::takeShownTexts(),
                QStringList{QStringLiteral("Can't open link:\n\nThe operating system denied\naccess to the "
                                           "specified file.")});
            QVERIFY(!link.isVisited());
        }
    }

    void aFailingHandlerIsReported() {
        CHyperLink link(QStringLiteral("https://example.org"));
        RecordingOpener opener;
        opener.succeeds = false;
        opener.attach(link);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QVERIFY(!link.gotoURL());
        QCOMPARE(opener.opened.size(), 1);
        QCOMPARE(
            MessageBox::takeShownTexts(),
            QStringList{QStringLiteral("Can't open link:\n\nThere is no application associated\nwith the "
                                       "given filename extension.")});
        QCOMPARE(CHyperLink::failureText(99), QStringLiteral("Unknown Error (99) occurred."));
    }

    void hoverColourOnlyWhenAskedFor() {
        CHyperLink link(QStringLiteral("https://example.org"));
        link.show();
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(&link, &enter);
        QVERIFY(link.isHovering());
        QCOMPARE(link.textColour(), CHyperLink::unvisitedColour());
        QVERIFY(link.modifyStyle(0, CHyperLink::UseHover, true));
        QCOMPARE(link.textColour(), CHyperLink::hoverColour());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&link, &leave);
        QCOMPARE(link.textColour(), CHyperLink::unvisitedColour());
    }

    void aboutBoxNamesTheProgramAndLinksOnlyWhatExists() {
        const Messages messages;
        QTemporaryDir folder;
        const QString manual = folder.filePath(QStringLiteral("index.html"));
        QFile(manual).open(QIODevice::WriteOnly);
        AboutDialog dialog(messages, nullptr, manual);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("About"));
        QCOMPARE(dialog.controlAs<QLabel>(AboutDialog::TitleId)->text(),
                 QStringLiteral("Tovel/Tovel-U In-System Programmer"));
        QCOMPARE(dialog.controlAs<QLabel>(AboutDialog::LicenceId)->text(),
                 QStringLiteral("Licence: GNU GPL 3.0 or later"));

        // One version line for the program and one for the firmware it needs, nothing older.
        QStringList versionLines;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->text().contains(QStringLiteral("ersion")) ||
                label->text().contains(QStringLiteral("firmware")))
                versionLines << label->text();
        }
        QCOMPARE(versionLines.size(), 2);
        QVERIFY(versionLines.contains(QStringLiteral("Version ") + QStringLiteral(TOVEL_VERSION)));
        QVERIFY(versionLines.contains(QStringLiteral("Needs board firmware M01")));

        // The manual links to the installed file; this build names no other pages, so it shows
        // no rows for them and no placeholder anywhere.
        CHyperLink* help = dialog.link(AboutDialog::HelpLinkId);
        QVERIFY(help != nullptr);
        QCOMPARE(help->url(), QUrl::fromLocalFile(manual).toString());
        QCOMPARE(help->style(), CHyperLink::kDefaultStyle);
        for (unsigned id :
             {AboutDialog::ProjectPageLinkId, AboutDialog::ContactLinkId, AboutDialog::ReleasesLinkId})
            QVERIFY(dialog.link(id) == nullptr ||
                    !dialog.link(id)->url().contains(QStringLiteral("example")));
        for (QLabel* label : dialog.findChildren<QLabel*>())
            QVERIFY(!label->text().contains(QStringLiteral("example.org")));

        AboutDialog withoutManual(messages);
        QVERIFY(withoutManual.link(AboutDialog::HelpLinkId) == nullptr);

        const Messages russian(Language::Russian);
        AboutDialog translated(russian);
        QCOMPARE(translated.windowTitle(), QString::fromUtf8("О программе"));
        QVERIFY(translated.findChild<QLabel*>(QStringLiteral("programVersion"))
                    ->text()
                    .startsWith(QString::fromUtf8("Версия ")));
    }
};

QTEST_MAIN(HyperlinkAndAboutTest)
#include "hyperlink_and_about_test.moc"
