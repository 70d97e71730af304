#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QWidget>

class QSvgRenderer;

namespace tarnvik {

class FormCanvas;

// A line drawn on a window's surface, from (X1, Y1) to (X2, Y2), in pixels.
class LineShape {
public:
    LineShape(FormCanvas *canvas, const QColor &colour, double width);

    double X1() const { return m_p1.x(); }
    double Y1() const { return m_p1.y(); }
    double X2() const { return m_p2.x(); }
    double Y2() const { return m_p2.y(); }
    void setX1(double v);
    void setY1(double v);
    void setX2(double v);
    void setY2(double v);
    QPointF start() const { return m_p1; }
    QPointF end() const { return m_p2; }
    QColor colour() const { return m_colour; }
    double width() const { return m_width; }

private:
    FormCanvas *m_canvas;
    QPointF m_p1, m_p2;
    QColor m_colour;
    double m_width;
};

// A window's surface: its background colour, a background picture (SVG)
// drawn at the top left in its own size, and the lines drawn over it.
class FormCanvas : public QWidget {
    Q_OBJECT
public:
    explicit FormCanvas(QWidget *parent = nullptr);
    ~FormCanvas() override;

    void setBackColour(const QColor &colour);
    bool setPicture(const QString &svgFile);
    bool hasPicture() const;
    LineShape *addLine(const QColor &colour, double width);
    // The lines, in the order they are drawn.
    const QList<LineShape *> &lines() const { return m_lines; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSvgRenderer *m_picture = nullptr;
    QList<LineShape *> m_lines;
};

} // namespace tarnvik
