#pragma once

#include <QLabel>

namespace tarnvik {

// A label that reports a click of the left mouse button, as captions that
// act like buttons do (a check box's own text, a log-off link).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget *parent = nullptr) : QLabel(parent) {}

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace tarnvik
