#include "ui/Toolbar.h"

#include "ui/Icons.h"

Toolbar::Toolbar(QWidget* parent) : QToolBar(parent) {
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setIconSize(QSize(24, 24));
}

void Toolbar::AddButtons(std::span<const ToolbarButton> buttons) {
    for (const ToolbarButton& button : buttons) {
        AddButton(button.key, button.tooltip, Icons::Get(button.picture));
        SetButtonVisible(button.key, button.visible);
    }
}

QAction* Toolbar::AddButton(const QString& key, const QString& tooltip, const QIcon& icon) {
    QAction* action = addAction(icon, tooltip);
    action->setObjectName(key);
    action->setToolTip(tooltip);
    action->setData(key);
    if (!key.isEmpty()) actions_.insert(key, action);
    connect(action, &QAction::triggered, this, [this, key] { emit ButtonClick(key); });
    return action;
}

void Toolbar::SetButtonVisible(const QString& key, bool visible) {
    if (QAction* action = Button(key)) action->setVisible(visible);
}

bool Toolbar::ButtonVisible(const QString& key) const {
    const QAction* action = Button(key);
    return action && action->isVisible();
}

void Toolbar::SetButtonTooltip(const QString& key, const QString& tooltip) {
    if (QAction* action = Button(key)) {
        // The text is what a screen reader speaks, so it follows the tooltip.
        action->setText(tooltip);
        action->setToolTip(tooltip);
    }
}

QString Toolbar::ButtonTooltip(const QString& key) const {
    const QAction* action = Button(key);
    return action ? action->toolTip() : QString();
}

void Toolbar::SetButtonIcon(const QString& key, const QIcon& icon) {
    if (QAction* action = Button(key)) action->setIcon(icon);
}

QIcon Toolbar::ButtonIcon(const QString& key) const {
    const QAction* action = Button(key);
    return action ? action->icon() : QIcon();
}

void Toolbar::SetButtonEnabled(const QString& key, bool enabled) {
    if (QAction* action = Button(key)) action->setEnabled(enabled);
}

void Toolbar::Trigger(const QString& key) {
    if (QAction* action = Button(key); action && action->isEnabled()) action->trigger();
}
