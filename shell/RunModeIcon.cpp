#include "shell/RunModeIcon.h"

#include "platform/RunMode.h"

#include <QPainter>
#include <QPixmap>

namespace velmar::shell {

int IconForRunMode(quint32 runMode)
{
    switch (runMode) {
    case platform::RunModeShowData: return IconShowData;
    case platform::RunModeOffline: return IconOffline;
    case platform::RunModeAlterSettings: return IconAlterSettings;
    default: return IconOnline;
    }
}

QIcon RunModeIcon(int iconId)
{
    struct Look {
        QColor fill;
        QChar letter;
    };
    const Look look = iconId == IconShowData      ? Look{QColor(0x2e, 0x7d, 0x32), u'S'}
                    : iconId == IconOffline       ? Look{QColor(0xef, 0x6c, 0x00), u'P'}
                    : iconId == IconAlterSettings ? Look{QColor(0x61, 0x61, 0x61), u'T'}
                                                  : Look{QColor(0x15, 0x65, 0xc0), u'V'};
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(look.fill);
        p.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(size * 2 / 3);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString(look.letter));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace velmar::shell
