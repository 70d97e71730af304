#include "platform/ui/FormCanvas.h"

#include <QPainter>
#include <QSvgRenderer>

namespace tarnvik {

LineShape::LineShape(FormCanvas *canvas, const QColor &colour, double width)
    : m_canvas(canvas), m_colour(colour), m_width(width)
{
}

void LineShape::setX1(double v)
{
    m_p1.setX(v);
    m_canvas->update();
}

void LineShape::setY1(double v)
{
    m_p1.setY(v);
    m_canvas->update();
}

void LineShape::setX2(double v)
{
    m_p2.setX(v);
    m_canvas->update();
}

void LineShape::setY2(double v)
{
    m_p2.setY(v);
    m_canvas->update();
}

FormCanvas::FormCanvas(QWidget *parent) : QWidget(parent), m_picture(new QSvgRenderer(this))
{
    setAutoFillBackground(true);
}

FormCanvas::~FormCanvas()
{
    qDeleteAll(m_lines);
}

void FormCanvas::setBackColour(const QColor &colour)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colour);
    setPalette(pal);
}

bool FormCanvas::setPicture(const QString &svgFile)
{
    const bool ok = m_picture->load(svgFile);
    update();
    return ok;
}

bool FormCanvas::hasPicture() const
{
    return m_picture->isValid();
}

LineShape *FormCanvas::addLine(const QColor &colour, double width)
{
    m_lines << new LineShape(this, colour, width);
    return m_lines.last();
}

void FormCanvas::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (m_picture->isValid())
        m_picture->render(&p, QRectF(QPointF(0, 0), m_picture->defaultSize()));
    for (const LineShape *line : m_lines) {
        QPen pen(line->colour(), line->width(), Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.drawLine(line->start(), line->end());
    }
}

} // namespace tarnvik
