#pragma once

#include <QDialog>
#include <QPixmap>

class QFrame;
class QLabel;
class QPushButton;

namespace qm {

// The about box: the program's picture in a lowered panel and one "OK"
// button. Its size follows the picture each time it is shown.
class Taboutform : public QDialog
{
    Q_OBJECT

public:
    static constexpr int PanelLeft = 20;
    static constexpr int PanelTop = 20;

    explicit Taboutform(QWidget *parent = nullptr);

    // Shows the box modally; always returns QDialog::Accepted.
    int ShowAbout();

    // The picture to show; the program's splash picture unless replaced.
    void setPicture(const QPixmap &picture);
    QPixmap picture() const { return m_source; }

    // Places the panel and the button around the picture and fixes the size.
    void layOutControls();

    QRect panelGeometry() const;
    QRect buttonGeometry() const;
    QPushButton *okButton() const { return m_ok; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPixmap m_source;
    QFrame *m_panel;
    QLabel *m_picture;
    QPushButton *m_ok;
};

} // namespace qm
