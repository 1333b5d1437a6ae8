#include "forms/HotKeyService.h"

#include "forms/HotKeyCode.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QShortcut>
#include <QWidget>

namespace velmar::forms {

HotKeyService::HotKeyService(QWidget* window) : QObject(window), m_window(window)
{
    // Sees the focused control's claim on a key before the shortcut map does.
    QCoreApplication::instance()->installEventFilter(this);
}

bool HotKeyService::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (const auto& [id, shortcut] : m_shortcuts)
        if (shortcut && shortcut->key() == pressed) {
            // Unclaimed, the key goes on to the shortcut map.
            event->ignore();
            return true;
        }
    return QObject::eventFilter(watched, event);
}

HotKeyService::~HotKeyService()
{
    for (auto& [id, shortcut] : m_shortcuts)
        delete shortcut;
    if (hotKeyRegistrar() == this)
        setHotKeyRegistrar(nullptr);
}

QKeySequence HotKeyService::SequenceOfCode(int code)
{
    const int key = QtKeyFromHotKeyCode(code);
    if (key == 0)
        return QKeySequence();
    return QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key(key)));
}

bool HotKeyService::registerHotKey(int id, int code)
{
    const QKeySequence sequence = SequenceOfCode(code);
    if (sequence.isEmpty() || m_shortcuts.count(id))
        return false;
    for (const auto& [other, shortcut] : m_shortcuts)
        if (shortcut->key() == sequence)
            return false;
    auto* shortcut = new QShortcut(sequence, m_window);
    shortcut->setContext(Qt::ApplicationShortcut);
    shortcut->setAutoRepeat(false);
    connect(shortcut, &QShortcut::activated, this, [this, id] { emit hotKeyPressed(id); });
    m_shortcuts[id] = shortcut;
    return true;
}

void HotKeyService::unregisterHotKey(int id)
{
    const auto it = m_shortcuts.find(id);
    if (it == m_shortcuts.end())
        return;
    delete it->second;
    m_shortcuts.erase(it);
}

bool HotKeyService::isRegistered(int id) const
{
    return m_shortcuts.count(id) != 0;
}

QKeySequence HotKeyService::sequenceOf(int id) const
{
    const auto it = m_shortcuts.find(id);
    return it == m_shortcuts.end() ? QKeySequence() : it->second->key();
}

} // namespace velmar::forms
