#pragma once

#include <QAction>
#include <QHash>
#include <QIcon>
#include <QString>
#include <QToolBar>
#include <span>

// One button of a toolbar laid out as a table: its key, tooltip, picture (an Icons key) and
// whether it shows (hidden buttons hold pictures that a shown one switches to).
struct ToolbarButton {
    const char* key;
    const char* tooltip;
    const char* picture;
    bool visible = true;
};

// A toolbar of keyed buttons. Each button shows its icon only; its text is its tooltip, so a
// screen reader can name it. A click is reported by key.
class Toolbar : public QToolBar {
    Q_OBJECT
public:
    explicit Toolbar(QWidget* parent = nullptr);

    QAction* AddButton(const QString& key, const QString& tooltip, const QIcon& icon);
    void AddButtons(std::span<const ToolbarButton> buttons);
    QAction* Button(const QString& key) const { return actions_.value(key); }

    void SetButtonVisible(const QString& key, bool visible);
    bool ButtonVisible(const QString& key) const;
    void SetButtonTooltip(const QString& key, const QString& tooltip);
    QString ButtonTooltip(const QString& key) const;
    void SetButtonIcon(const QString& key, const QIcon& icon);
    QIcon ButtonIcon(const QString& key) const;
    void SetButtonEnabled(const QString& key, bool enabled);

    // Clicks the button from code, as a test would with the mouse.
    void Trigger(const QString& key);

signals:
    void ButtonClick(const QString& key);

private:
    QHash<QString, QAction*> actions_;
};
