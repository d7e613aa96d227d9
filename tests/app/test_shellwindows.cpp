#include "app/aboutform.h"
#include "app/splashform.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>

using qm::Taboutform;
using qm::TSplashForm;

using CloseAction = std::function<void(Taboutform &)>;
Q_DECLARE_METATYPE(CloseAction)

class TestShellWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Without fonts every text paints as nothing and these checks would
        // pass on an empty picture.
        const QStringList families = QFontDatabase::families();
        QVERIFY2(!families.isEmpty(), "no fonts installed (install fonts-dejavu-core)");
        const QString wanted = qEnvironmentVariable("QM_TEST_FONT");
        if (!wanted.isEmpty())
            QVERIFY2(families.contains(wanted), qPrintable(wanted + QStringLiteral(" is not installed")));
    }

    void splashPictureIsDrawn()
    {
        const QImage picture = TSplashForm::SplashPicture().toImage();
        QCOMPARE(picture.size(), QSize(328, 245));
        // The title is light text on a dark ground: plenty of light pixels
        // where it stands, and a picture of many shades overall.
        int light = 0;
        QSet<QRgb> shades;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QColor c = picture.pixelColor(x, y);
                shades.insert(c.rgb());
                if (x >= 25 && x < 240 && y >= 70 && y < 114 && c.lightness() > 200)
                    ++light;
            }
        QVERIFY2(light > 400, qPrintable(QStringLiteral("title pixels: %1").arg(light)));
        QVERIFY(shades.size() > 200);
    }

    void splashWindowFitsPicture()
    {
        TSplashForm splash;
        splash.showAndPaint();
        QVERIFY(splash.isVisible());
        QCOMPARE(splash.size(), QSize(329, 250));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.panel()->geometry(), splash.rect());
        QCOMPARE(splash.panel()->frameShape(), QFrame::Panel);
        QCOMPARE(splash.panel()->frameShadow(), QFrame::Sunken);
        QCOMPARE(splash.picture()->geometry(), QRect(0, 0, 328, 245));
        const QPoint screenCentre = splash.screen()->availableGeometry().center();
        QVERIFY((splash.geometry().center() - screenCentre).manhattanLength() <= 2);
    }

    void aboutLayout_data()
    {
        QTest::addColumn<QSize>("picture"); // empty: the program's own picture
        QTest::addColumn<QRect>("panel");
        QTest::addColumn<QRect>("button");
        QTest::addColumn<QSize>("box");

        // 329 x 246 panel, 369 wide, button 5 below the panel, 50 below the button.
        QTest::newRow("own picture") << QSize() << QRect(20, 20, 329, 246) << QRect(147, 271, 75, 25) << QSize(369, 346);
        QTest::newRow("328x245") << QSize(328, 245) << QRect(20, 20, 329, 246) << QRect(147, 271, 75, 25) << QSize(369, 346);
        // Odd halves are truncated: 142 / 2 - 75 / 2 = 71 - 37.
        QTest::newRow("101x60") << QSize(101, 60) << QRect(20, 20, 102, 61) << QRect(34, 86, 75, 25) << QSize(142, 161);
        QTest::newRow("640x480") << QSize(640, 480) << QRect(20, 20, 641, 481) << QRect(303, 506, 75, 25) << QSize(681, 581);
    }

    void aboutLayout()
    {
        QFETCH(QSize, picture);
        QFETCH(QRect, panel);
        QFETCH(QRect, button);
        QFETCH(QSize, box);

        Taboutform about;
        if (picture.isValid()) {
            QPixmap pixmap(picture);
            pixmap.fill(Qt::darkBlue);
            about.setPicture(pixmap);
        }
        about.show();
        QCOMPARE(about.windowTitle(), QStringLiteral("About Quillmark"));
        QCOMPARE(about.panelGeometry(), panel);
        QCOMPARE(about.buttonGeometry(), button);
        QCOMPARE(about.size(), box);
        QCOMPARE(about.minimumSize(), box);
        QCOMPARE(about.maximumSize(), box);
        QCOMPARE(about.buttonGeometry().top() - (about.panelGeometry().bottom() + 1), 5);
        QCOMPARE(about.height() - (about.buttonGeometry().bottom() + 1), 50);

        auto *label = about.findChild<QLabel *>(QStringLiteral("AboutPicture"));
        QVERIFY(label);
        QCOMPARE(label->pixmap().size(), panel.size() - QSize(1, 1));
        auto *ok = about.findChild<QPushButton *>(QStringLiteral("OKButton"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
    }

    void aboutAlwaysAnswersOk_data()
    {
        QTest::addColumn<CloseAction>("action");
        QTest::newRow("OK button") << CloseAction([](Taboutform &b) { QTest::mouseClick(b.okButton(), Qt::LeftButton); });
        QTest::newRow("Enter key") << CloseAction([](Taboutform &b) { QTest::keyClick(&b, Qt::Key_Return); });
        QTest::newRow("Escape key") << CloseAction([](Taboutform &b) { QTest::keyClick(&b, Qt::Key_Escape); });
        QTest::newRow("window closed") << CloseAction([](Taboutform &b) { b.close(); });
        QTest::newRow("rejected") << CloseAction([](Taboutform &b) { b.reject(); });
    }

    void aboutAlwaysAnswersOk()
    {
        QFETCH(CloseAction, action);
        Taboutform about;
        bool timedOut = false;
        QTimer::singleShot(0, &about, [&] { action(about); });
        // Safety net: a box that ignores the action must not hang the test.
        QTimer::singleShot(5000, &about, [&] {
            timedOut = true;
            about.setVisible(false);
        });
        const int result = about.ShowAbout();
        QVERIFY(!timedOut);
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(!about.isVisible());
    }
};

QTEST_MAIN(TestShellWindows)
#include "test_shellwindows.moc"
