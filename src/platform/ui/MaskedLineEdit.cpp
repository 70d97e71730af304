#include "platform/ui/MaskedLineEdit.h"

#include <QEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionFrame>

namespace tarnvik {

namespace {

// The widget style with another password character.
class MaskStyle final : public QProxyStyle {
public:
    explicit MaskStyle(QChar mask) : m_mask(mask) {}
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return m_mask.unicode();
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    QChar m_mask;
};

// The number of characters in text (a character of two UTF-16 units, an
// emoji, counts once).
int charactersIn(QStringView text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++count) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    return count;
}

// Paints a masked box with one mask character per character typed, where
// the box itself shows one per UTF-16 unit; keeps its cursor off the middle
// of a character.
class MaskPainter final : public QObject {
public:
    MaskPainter(QLineEdit *edit, QChar mask) : QObject(edit), m_edit(edit), m_mask(mask)
    {
        connect(edit, &QLineEdit::cursorPositionChanged, this, [this](int before, int now) {
            const QString text = m_edit->text();
            if (now > 0 && now < text.size() && text[now].isLowSurrogate() && text[now - 1].isHighSurrogate())
                m_edit->setCursorPosition(now < before ? now - 1 : now + 1);
        });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_edit || event->type() != QEvent::Paint || m_edit->echoMode() != QLineEdit::Password)
            return false;
        paint();
        return true;
    }

private:
    void paint()
    {
        QPainter painter(m_edit);
        QStyle *style = m_edit->style();
        QStyleOptionFrame panel;
        panel.initFrom(m_edit);
        panel.rect = m_edit->rect();
        panel.lineWidth =
            m_edit->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, m_edit) : 0;
        panel.midLineWidth = 0;
        panel.state |= QStyle::State_Sunken;
        if (m_edit->isReadOnly())
            panel.state |= QStyle::State_ReadOnly;
        style->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, m_edit);

        // Where the box writes its text: inside its frame and margins.
        QRect area = style->subElementRect(QStyle::SE_LineEditContents, &panel, m_edit);
        area = area.marginsRemoved(m_edit->textMargins()).adjusted(2, 1, -2, -1);
        painter.setClipRect(area);
        const QString text = m_edit->text();
        const QFontMetrics metrics = m_edit->fontMetrics();
        const QString shown(charactersIn(text), m_mask);
        const auto xOf = [&](int unit) {
            return metrics.horizontalAdvance(shown.left(charactersIn(QStringView(text).left(unit))));
        };
        // The cursor stays in sight: the text moves left when it does not fit.
        const int cursorX = xOf(m_edit->cursorPosition());
        const int offset = std::max(0, cursorX - area.width() + 1);
        const int baseline = area.top() + (area.height() - metrics.height() + 1) / 2 + metrics.ascent();
        const QPalette::ColorGroup group = m_edit->isEnabled() ? QPalette::Active : QPalette::Disabled;
        const QPalette &colours = m_edit->palette();

        if (text.isEmpty() && !m_edit->placeholderText().isEmpty() && !m_edit->hasFocus()) {
            painter.setPen(colours.color(group, QPalette::PlaceholderText));
            painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, m_edit->placeholderText());
            return;
        }
        painter.setPen(colours.color(group, QPalette::Text));
        painter.drawText(area.left() - offset, baseline, shown);
        if (m_edit->hasSelectedText()) {
            const int from = m_edit->selectionStart(), to = from + int(m_edit->selectedText().size());
            const int first = charactersIn(QStringView(text).left(from));
            const int count = charactersIn(QStringView(text).mid(from, to - from));
            const QRect band(area.left() - offset + xOf(from), area.top(), xOf(to) - xOf(from),
                             area.height());
            painter.fillRect(band, colours.color(group, QPalette::Highlight));
            painter.setPen(colours.color(group, QPalette::HighlightedText));
            painter.drawText(band.left(), baseline, shown.mid(first, count));
        }
        if (m_edit->hasFocus() && !m_edit->isReadOnly()) {
            painter.setPen(colours.color(group, QPalette::Text));
            const int x = area.left() - offset + cursorX;
            painter.drawLine(x, area.top() + 1, x, area.bottom() - 1);
        }
    }

    QLineEdit *m_edit;
    QChar m_mask;
};

} // namespace

MaskedLineEdit::MaskedLineEdit(QChar mask, QWidget *parent) : QLineEdit(parent)
{
    MaskedLineEdit::mask(this, mask);
}

void MaskedLineEdit::mask(QLineEdit *edit, QChar mask)
{
    auto *style = new MaskStyle(mask);
    style->setParent(edit);
    edit->setStyle(style);
    edit->setEchoMode(QLineEdit::Password);
    edit->installEventFilter(new MaskPainter(edit, mask));
}

} // namespace tarnvik
