#include "app/aboutform.h"

#include "app/splashform.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace qm {

namespace {
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
constexpr int ButtonGap = 5;
constexpr int SideMargins = 40;
constexpr int BottomMargin = 50;
} // namespace

Taboutform::Taboutform(QWidget *parent)
    : QDialog(parent)
    , m_source(TSplashForm::SplashPicture())
    , m_panel(new QFrame(this))
    , m_picture(new QLabel(m_panel))
    , m_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("aboutform"));
    setWindowTitle(QStringLiteral("About Quillmark"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    // Two bevel lines, so the picture sits doubly lowered.
    m_panel->setObjectName(QStringLiteral("AboutPanel"));
    m_panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_panel->setLineWidth(2);
    m_picture->setObjectName(QStringLiteral("AboutPicture"));

    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);
    m_ok->resize(ButtonWidth, ButtonHeight);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    layOutControls();
}

void Taboutform::setPicture(const QPixmap &picture)
{
    m_source = picture;
    layOutControls();
}

void Taboutform::layOutControls()
{
    m_picture->setPixmap(m_source);
    const QSize picture = m_source.size();
    m_picture->setGeometry(0, 0, picture.width(), picture.height());

    m_panel->setGeometry(PanelLeft, PanelTop, picture.width() + 1, picture.height() + 1);
    const int boxWidth = m_panel->width() + SideMargins;
    const int buttonTop = m_panel->y() + m_panel->height() + ButtonGap;
    const int buttonLeft = boxWidth / 2 - m_ok->width() / 2;
    m_ok->move(buttonLeft, buttonTop);
    setFixedSize(boxWidth, buttonTop + m_ok->height() + BottomMargin);
}

QRect Taboutform::panelGeometry() const
{
    return m_panel->geometry();
}

QRect Taboutform::buttonGeometry() const
{
    return m_ok->geometry();
}

void Taboutform::showEvent(QShowEvent *event)
{
    layOutControls();
    m_ok->setFocus();
    QDialog::showEvent(event);
}

int Taboutform::ShowAbout()
{
    layOutControls();
    return exec();
}

void Taboutform::done(int)
{
    // The box only informs: however it is closed, the answer is "OK".
    QDialog::done(QDialog::Accepted);
}

} // namespace qm
