#pragma once

#include <QAbstractButton>

class QSvgRenderer;

namespace tarnvik {

// A button drawn as a picture (an SVG file) filling the whole button; it
// sinks a little while pressed and shows a frame when it has the focus.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget *parent = nullptr);

    // Loads the picture; false when the file cannot be read as SVG.
    bool setPicture(const QString &svgFile);
    QString picture() const { return m_file; }
    bool hasPicture() const;

    QSize sizeHint() const override { return {100, 30}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSvgRenderer *m_renderer = nullptr;
    QString m_file;
};

} // namespace tarnvik
