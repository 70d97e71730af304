#include "platform/ui/PictureButton.h"

#include <QPainter>
#include <QSvgRenderer>

namespace tarnvik {

PictureButton::PictureButton(QWidget *parent) : QAbstractButton(parent), m_renderer(new QSvgRenderer(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

bool PictureButton::setPicture(const QString &svgFile)
{
    m_file = svgFile;
    const bool ok = m_renderer->load(svgFile);
    update();
    return ok;
}

bool PictureButton::hasPicture() const
{
    return m_renderer->isValid();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF area = rect();
    if (isDown())
        area.translate(1, 1);
    if (m_renderer->isValid())
        m_renderer->render(&p, area);
    else
        p.drawText(area, Qt::AlignCenter, text());
    if (isDown() || !isEnabled())
        p.fillRect(area, QColor(0, 0, 0, isEnabled() ? 40 : 90));
    if (hasFocus()) {
        QPen pen(Qt::white, 1.5, Qt::DashLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(area.adjusted(2, 2, -2, -2), 6, 6);
    }
}

} // namespace tarnvik
