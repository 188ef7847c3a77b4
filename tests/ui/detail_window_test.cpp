// The detail window: the entry it shows, the pronunciation drawn as
// glyphs, the speech button, and where it opens.
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <filesystem>

#include "pron/phonetic_code.h"
#include "res/dialog_templates.h"
#include "settings/options_file.h"
#include "settings/settings_file.h"
#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/about_dlg.h"
#include "ui/detail_dlg.h"
#include "ui/lookup_dlg.h"
#include "ui/pronunciation_field.h"
#include "ui/result_list_model.h"
#include "ui/settings_dlg.h"

namespace pelmio {

using namespace testing;
namespace fs = std::filesystem;

namespace {

QImage Strip() {
    return QImage(QStringLiteral(":/pelmio/glyph_strip.bmp")).convertToFormat(QImage::Format_RGB32);
}

// A white canvas with a code drawn on it as the field draws it.
QImage Drawn(const std::string& code, int width = 200) {
    QImage canvas(width, 19, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setClipRect(canvas.rect());
    DrawPronunciation(painter, 1, 2, Strip(), code);
    return canvas;
}

// The same at a device pixel ratio, as on a high-density screen.
QImage DrawnAt(const std::string& code, double ratio) {
    QImage canvas(static_cast<int>(60 * ratio), static_cast<int>(19 * ratio), QImage::Format_RGB32);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setClipRect(QRect(0, 0, 60, 19));
    DrawPronunciation(painter, 1, 2, Strip(), code);
    return canvas;
}

// Columns of the image holding any pixel that is not white.
QList<int> InkedColumns(const QImage& image) {
    QList<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                columns << x;
                break;
            }
        }
    }
    return columns;
}

bool SameBlock(const QImage& canvas, int x, const QImage& strip, int cell) {
    for (int dy = 0; dy < kGlyphHeight; ++dy) {
        for (int dx = 0; dx < kGlyphWidth; ++dx) {
            if (canvas.pixel(x + dx, 2 + dy) != strip.pixel(cell * kGlyphWidth + dx, dy)) {
                return false;
            }
        }
    }
    return true;
}

bool AllWhite(const QImage& image, QRect area) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                return false;
            }
        }
    }
    return true;
}

std::string Code(CDetailDlg& detail) {
    return Control<PronunciationField>(detail, res::kIdPronunciation)->code();
}

void DoubleClickRow(CLookupDlg& dialog, int row) {
    QAbstractItemView* list = List(dialog);
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

}  // namespace

class DetailWindowTest : public QObject {
    Q_OBJECT

private slots:
    void stripIsTheGlyphBitmap() {
        const QImage strip = Strip();
        QCOMPARE(strip.size(), QSize(350, 15));
    }

    void drawsEachGlyphSevenPixelsOnPixelForPixel() {
        const QImage strip = Strip();
        const QImage canvas = Drawn("2pl");
        QVERIFY(SameBlock(canvas, 1, strip, 2));
        QVERIFY(SameBlock(canvas, 8, strip, 8));
        QVERIFY(SameBlock(canvas, 15, strip, 17));
        QVERIFY(AllWhite(canvas, QRect(22, 0, 178, 19)));
        QVERIFY(AllWhite(canvas, QRect(0, 0, 1, 19)));
    }

    void unknownBytesAndSpacesAreBlankCells() {
        const QImage strip = Strip();
        QVERIFY(AllWhite(Drawn(""), QRect(0, 0, 200, 19)));
        const QImage canvas = Drawn("t x\x83t");
        QVERIFY(SameBlock(canvas, 1, strip, 10));
        QVERIFY(AllWhite(canvas, QRect(8, 0, 21, 19)));
        QVERIFY(SameBlock(canvas, 29, strip, 10));
    }

    void longCodesAreClippedAtTheEdge() {
        const QImage strip = Strip();
        // A clip that ends inside the seventh glyph (x = 43 to 49).
        QImage canvas(60, 19, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        {
            QPainter painter(&canvas);
            painter.setClipRect(QRect(0, 0, 46, 19));
            DrawPronunciation(painter, 1, 2, strip, std::string(999, 'm'));
        }
        QVERIFY(SameBlock(canvas, 36, strip, 14));
        // Its first three columns are drawn, the rest is cut off.
        for (int dy = 0; dy < kGlyphHeight; ++dy) {
            for (int dx = 0; dx < 3; ++dx) {
                QCOMPARE(canvas.pixel(43 + dx, 2 + dy), strip.pixel(14 * kGlyphWidth + dx, dy));
            }
        }
        QVERIFY(AllWhite(canvas, QRect(46, 0, 14, 19)));
    }

    void redOnlyWhereTheStripHasIt() {
        const QImage strip = Strip();
        const std::string all(PhoneticCodeTable);
        const QImage canvas = Drawn(all, 1 + 7 * 50 + 1);
        for (int cell = 0; cell < kGlyphCount; ++cell) {
            QVERIFY2(SameBlock(canvas, 1 + 7 * cell, strip, cell),
                     qPrintable(QString::number(cell)));
        }
        // Red in the strip: accents (rows 0-2) and the length mark only.
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 350; ++x) {
                if (strip.pixel(x, y) == qRgb(255, 0, 0)) {
                    QVERIFY(y <= 2 || x / 7 == 30);
                }
            }
        }
    }

    void fieldPaintsItsOwnCodeOnEveryRepaint() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"go,行く,,g`u", "be,ある,,bi"});
        CLookupDlg dialog(fixture.environment());
        dialog.show();
        TypeText(Control<QComboBox>(dialog, res::kIdKeywordBox), QStringLiteral("go"));
        DoubleClickRow(dialog, 0);
        auto* field = Control<PronunciationField>(*DetailWindow(), res::kIdPronunciation);
        QVERIFY(field != nullptr);
        // No event is processed between showing the entry and painting the
        // field on its own, as when it is uncovered: the glyphs are there.
        QImage painted(field->size(), QImage::Format_RGB32);
        painted.fill(Qt::black);
        field->render(&painted);
        const QImage strip = Strip();
        const QPoint origin = field->contentsRect().topLeft() + QPoint(1, 2);
        for (int dx = 0; dx < kGlyphWidth; ++dx) {
            for (int dy = 0; dy < kGlyphHeight; ++dy) {
                QCOMPARE(painted.pixel(origin.x() + dx, origin.y() + dy),
                         strip.pixel(13 * kGlyphWidth + dx, dy));  // g
            }
        }
        // Searching again changes the list, not the field.
        Control<QComboBox>(dialog, res::kIdKeywordBox)->lineEdit()->clear();
        TypeText(Control<QComboBox>(dialog, res::kIdKeywordBox), QStringLiteral("be"));
        QCOMPARE(field->code(), std::string("g`u"));
    }

    void glyphsAreScaledSmoothlyOnHighDensityScreens() {
        for (const double ratio : {1.5, 2.0}) {
            // ɑ then a blank: all ink within the first scaled cell.
            const QImage drawn = DrawnAt("a ", ratio);
            const QList<int> inked = InkedColumns(drawn);
            QVERIFY(!inked.isEmpty());
            QVERIFY2(inked.first() >= static_cast<int>(1 * ratio) - 1 &&
                         inked.last() < static_cast<int>((1 + kGlyphWidth) * ratio) + 1,
                     qPrintable(QString::number(ratio)));
            // Filtered, not blocky: edges have tones between ink and paper.
            bool between = false;
            for (int x = 0; x < drawn.width() && !between; ++x) {
                for (int y = 0; y < drawn.height() && !between; ++y) {
                    const int grey = qGray(drawn.pixel(x, y));
                    between = grey > 40 && grey < 215;
                }
            }
            QVERIFY2(between, qPrintable(QString::number(ratio)));
        }
    }

    void fieldKeepsAtMost999BytesCutBetweenCharacters() {
        PronunciationField field;
        field.setCode(std::string(1500, 'a'));
        QCOMPARE(field.code().size(), std::size_t{999});
        // A double-byte character across the 999th byte is left out whole.
        field.setCode(std::string(998, 'a') + "\x83\x41");
        QCOMPARE(field.code(), std::string(998, 'a'));
        field.setCode("");
        QCOMPARE(field.code(), std::string());
    }

    void doubleClickShowsTheEntryOfTheRowsIndex() {
        WindowFixture fixture;
        // Table order differs from display order.
        fixture.writeDictionaries(
            {"zebra crossing,横断歩道,,zIbR1 kRo0si4"},
            {"take,取る,,tEik", "apple,りんご,,2pl", "taken,取られた,take,tEik1n"});
        CLookupDlg dialog(fixture.environment());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        CDetailDlg* detail = DetailWindow();
        QVERIFY(detail != nullptr);
        // Nothing listed: a double-click does nothing.
        QTest::mouseDClick(List(dialog)->viewport(), Qt::LeftButton);
        QVERIFY(!detail->isVisible());

        TypeText(Control<QComboBox>(dialog, res::kIdKeywordBox), QStringLiteral("a"));
        QCOMPARE(Rows(dialog).size(), 4);
        QCOMPARE(Rows(dialog)[2], QStringLiteral("taken,取られた,take,tEik1n"));
        DoubleClickRow(dialog, 2);
        QVERIFY(detail->isVisible());
        QCOMPARE(detail->windowTitle(), QStringLiteral("詳細情報"));
        QCOMPARE(Control<QLineEdit>(*detail, res::kIdHeadword)->text(), QStringLiteral("taken"));
        QCOMPARE(Control<QPlainTextEdit>(*detail, res::kIdMeaning)->toPlainText(),
                 QStringLiteral("取られた"));
        QCOMPARE(Control<QLineEdit>(*detail, res::kIdBaseForm)->text(), QStringLiteral("take"));
        QCOMPARE(Code(*detail), std::string("tEik1n"));

        // Another row replaces all four fields.
        DoubleClickRow(dialog, 0);
        QCOMPARE(Control<QLineEdit>(*detail, res::kIdHeadword)->text(), QStringLiteral("apple"));
        QCOMPARE(Control<QLineEdit>(*detail, res::kIdBaseForm)->text(), QString());
        QCOMPARE(Code(*detail), std::string("2pl"));
    }

    void anEmptyLineChangesNothing() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"", "go,行く,,g`u"});
        CLookupDlg dialog(fixture.environment());
        dialog.show();
        TypeText(Control<QComboBox>(dialog, res::kIdKeywordBox), QStringLiteral(" "));
        QCOMPARE(Rows(dialog), (QStringList{"", "go,行く,,g`u"}));
        DoubleClickRow(dialog, 1);
        CDetailDlg* detail = DetailWindow();
        QVERIFY(detail != nullptr);
        QCOMPARE(Control<QLineEdit>(*detail, res::kIdHeadword)->text(), QStringLiteral("go"));
        detail->hide();
        DoubleClickRow(dialog, 0);
        QVERIFY(!detail->isVisible());
        QCOMPARE(Control<QLineEdit>(*detail, res::kIdHeadword)->text(), QStringLiteral("go"));
        QCOMPARE(Code(*detail), std::string("g`u"));
    }

    void closingOnlyHidesAndTheWindowKeepsItsPlace() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"go,行く,,g`u"});
        CLookupDlg dialog(fixture.environment());
        dialog.show();
        TypeText(Control<QComboBox>(dialog, res::kIdKeywordBox), QStringLiteral("go"));
        DoubleClickRow(dialog, 0);
        CDetailDlg& detail = *DetailWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&detail));
        detail.move(123, 77);
        const QPoint place = detail.pos();
        QTest::keyClick(&detail, Qt::Key_Escape);
        QVERIFY(!detail.isVisible());
        DoubleClickRow(dialog, 0);
        QVERIFY(detail.isVisible());
        QCOMPARE(detail.pos(), place);
        // Enter, even in the meaning box, closes it too.
        QTest::keyClick(Control<QPlainTextEdit>(detail, res::kIdMeaning), Qt::Key_Return);
        QVERIFY(!detail.isVisible());
    }

    void opensBesideTheOwnerNeverOverIt() {
        // Room on the right; then near the right edge, room on the left only.
        for (const int ownerX : {40, 440}) {
            QDialog owner;
            ShowOwner(owner, ownerX, 30);
            CDetailDlg detail;
            detail.showBeside(owner);
            QVERIFY(QTest::qWaitForWindowExposed(&detail));
            const QRect placed = detail.frameGeometry();
            QVERIFY2(!placed.intersects(owner.frameGeometry()),
                     qPrintable(QString::number(ownerX)));
            QVERIFY(owner.screen()->availableGeometry().contains(placed));
            QCOMPARE(placed.top(), owner.frameGeometry().top());
            QCOMPARE(placed.left() > owner.frameGeometry().left(), ownerX == 40);
        }
    }

    void reopensWhereTheUserLeftIt() {
        QDialog owner;
        ShowOwner(owner, 40, 30);
        CDetailDlg detail;
        detail.showBeside(owner);
        QVERIFY(QTest::qWaitForWindowExposed(&detail));
        // Moved as the window manager moves it for the user, not by the program.
        const QPoint userPlace(90, 200);
        detail.windowHandle()->setFramePosition(userPlace);
        QTRY_COMPARE(detail.frameGeometry().topLeft(), userPlace);
        detail.close();
        QVERIFY(!detail.isVisible());
        // The owner has moved meanwhile: the window still comes back where it was.
        owner.move(300, 10);
        detail.showBeside(owner);
        QVERIFY(QTest::qWaitForWindowExposed(&detail));
        QCOMPARE(detail.frameGeometry().topLeft(), userPlace);
        // Shown again while it is open, it stays put.
        detail.showBeside(owner);
        QCOMPARE(detail.frameGeometry().topLeft(), userPlace);
    }

    void withoutASpeechEngineTheButtonSaysWhatToInstall() {
        WindowFixture fixture;
        fixture.writeDictionaries({}, {"go,行く,,g`u"});
        CLookupDlg dialog(fixture.environment());
        CDetailDlg* detail = OpenFirstRow(dialog, QStringLiteral("go"));
        QVERIFY(detail != nullptr && detail->isVisible());
        auto* speak = Control<QPushButton>(*detail, res::kIdSpeak);
        QVERIFY(speak != nullptr);
        QCOMPARE(speak->accessibleName(), QStringLiteral("読み上げ"));
        QVERIFY(!speak->isEnabled());
        QVERIFY(speak->toolTip().contains(QStringLiteral("qt6-speech-flite-plugin")));
    }

    void theSpeechEngineIsMadeWhenTheDetailWindowFirstShows() {
        WindowFixture fixture;
        fixture.speechEngine.clear();  // the system's default, flite where installed
        fixture.writeDictionaries({}, {"go,行く,,g`u"});
        CLookupDlg dialog(fixture.environment());
        CDetailDlg* detail = DetailWindow();
        QVERIFY(detail != nullptr);
        QCOMPARE(SpeechEngines(*detail), 0);
        QVERIFY(OpenFirstRow(dialog, QStringLiteral("go")) == detail);
        auto* speak = Control<QPushButton>(*detail, res::kIdSpeak);
        // Made, or the button says why there is none.
        QVERIFY(SpeechEngines(*detail) == 1 ||
                (!speak->isEnabled() && !speak->toolTip().isEmpty()));
        detail->close();
        QVERIFY(OpenFirstRow(dialog, QStringLiteral("go")) == detail);
        QVERIFY(SpeechEngines(*detail) <= 1);
    }
};

}  // namespace pelmio

QTEST_MAIN(pelmio::DetailWindowTest)
#include "detail_window_test.moc"
