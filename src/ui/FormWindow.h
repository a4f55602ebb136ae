#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

// The base of every window of the program: caption, size and position in twips, and the
// load / query-unload / unload life of a classic form. Closing the window unloads it: the
// unload hook runs, the window leaves Forms and is destroyed.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(const QString& name, QWidget* parent = nullptr);

    QString Name() const { return objectName(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }
    QString Caption() const { return windowTitle(); }

    void SetClientSizeTwips(int width, int height);
    void CentreOnScreen();
    // Position of the outer window on the screen.
    void MoveTwips(int left, int top);
    void MovePx(int left, int top);
    // Outer window geometry in pixels, as the classic Left/Top/Width/Height.
    int LeftPx() const { return frameGeometry().left(); }
    int TopPx() const { return frameGeometry().top(); }
    int WidthPx() const { return frameGeometry().width(); }
    int HeightPx() const { return frameGeometry().height(); }

    // Runs Load() once; Forms calls it right after creating the window, showing calls it too.
    void EnsureLoaded();
    bool IsLoaded() const { return loaded_; }
    // Unloads from code (not by the user): asks QueryUnload(false), runs Unload(), hides the
    // window, stops its timers and destroys it later. Returns false if QueryUnload refused.
    bool UnloadForm();
    bool IsUnloaded() const { return unloaded_; }
    // For code that resumes after a nested event loop (a dialog, a wait): true when the window
    // was destroyed or unloaded meanwhile.
    static bool IsGone(const QPointer<FormWindow>& window) { return window.isNull() || window->IsUnloaded(); }

protected:
    virtual void Load() {}
    // Return false to keep the window open. `byUser` is true for the close button.
    virtual bool QueryUnload(bool byUser) {
        Q_UNUSED(byUser);
        return true;
    }
    virtual void Unload() {}

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FinishUnload();

    bool loaded_ = false;
    bool unloaded_ = false;
};
