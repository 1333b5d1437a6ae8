#pragma once
// Texts a window shows only in part: every shown label, button, list and tab
// whose text,
// measured with its own font, is wider (or, wrapped, taller) than the room
// its contents rectangle leaves.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QWidget>

#include <algorithm>

namespace velmar::test {

inline int WidestLine(const QFontMetrics& fm, QString text)
{
    text.remove(QLatin1Char('&'));
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

// One line per cut text: "class 'text' needs N, has M".
inline QStringList CutTexts(QWidget* root)
{
    QStringList cut;
    auto check = [&cut](QWidget* w, const QString& text, int need, int have, int needHigh = 0, int haveHigh = 0) {
        if (need > have || needHigh > haveHigh)
            cut << QStringLiteral("%1 '%2' needs %3x%4, has %5x%6")
                       .arg(QString::fromLatin1(w->metaObject()->className()), text)
                       .arg(need)
                       .arg(needHigh)
                       .arg(have)
                       .arg(haveHigh);
    };
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (!w->isVisibleTo(root) || w->width() <= 1)
            continue;
        const QFontMetrics fm(w->font());
        if (auto* label = qobject_cast<QLabel*>(w)) {
            const QString text = label->text();
            if (text.trimmed().isEmpty() || label->textFormat() == Qt::RichText || Qt::mightBeRichText(text))
                continue;
            const QRect room = label->contentsRect().marginsRemoved(
                QMargins(label->margin(), label->margin(), label->margin(), label->margin()));
            if (label->wordWrap()) {
                int widest = 0;
                for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                    widest = std::max(widest, fm.horizontalAdvance(word));
                const int high = fm.boundingRect(QRect(0, 0, room.width(), 1 << 20), Qt::TextWordWrap, text).height();
                check(w, text, widest, room.width(), high, room.height());
            } else {
                check(w, text, WidestLine(fm, text), room.width());
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            const QString text = button->text();
            if (text.isEmpty())
                continue;
            int extra = 4; // the push button's frame
            if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w))
                extra = w->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w)
                      + w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
            check(w, text, WidestLine(fm, text) + extra, button->contentsRect().width());
        } else if (auto* list = qobject_cast<QComboBox*>(w)) {
            constexpr int Arrow = 16;
            for (int i = 0; i < list->count(); ++i)
                check(w, list->itemText(i), fm.horizontalAdvance(list->itemText(i)) + Arrow, list->width());
        } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                check(w, tabs->tabText(i), WidestLine(fm, tabs->tabText(i)), tabs->tabRect(i).width());
        }
    }
    return cut;
}

} // namespace velmar::test
