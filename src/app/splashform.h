#pragma once

#include <QPixmap>
#include <QWidget>

class QFrame;
class QLabel;

namespace qm {

// The borderless window shown while the program starts: a lowered panel with
// the program's picture at its top.
class TSplashForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int PictureWidth = 328;
    static constexpr int PictureHeight = 245;

    explicit TSplashForm(QWidget *parent = nullptr);

    // The program's picture, shared with the about box.
    static QPixmap SplashPicture();

    // Shows the window centred on the screen and paints it before returning,
    // so it stays visible while the caller does slow work without an event
    // loop.
    void showAndPaint();

    QFrame *panel() const { return m_panel; }
    QLabel *picture() const { return m_picture; }

private:
    void layOut();
    void centreOnScreen();

    QFrame *m_panel;
    QLabel *m_picture;
};

} // namespace qm
