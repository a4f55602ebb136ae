#pragma once

#include <QMargins>
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
    // The window's outer size: the client area is what the frame leaves of it.
    void SetOuterSizePx(QSize outer, QMargins frame);
    // Places the outer window on the screen. Where it would reach past the screen's free area
    // (beside the taskbar and panels) it moves just enough to lie on it; the placement is made
    // again when the window shows, with the size it has then.
    void CentreOnScreen();
    // For a window whose place nothing prescribes: beside `anchor` (or beside another shown window
    // of the program) where it hides none of them, else centred; made again when it shows.
    void PlaceBeside(const FormWindow* anchor);
    void MoveTwips(int left, int top);
    void MovePx(int left, int top);
    // Outer window geometry in pixels, as the classic Left/Top/Width/Height.
    QMargins FrameMargins() const;
    int LeftPx() const { return geometry().left() - FrameMargins().left(); }
    int TopPx() const { return geometry().top() - FrameMargins().top(); }
    int WidthPx() const { return width() + FrameMargins().left() + FrameMargins().right(); }
    int HeightPx() const { return height() + FrameMargins().top() + FrameMargins().bottom(); }

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
    void Place();
    QList<QRect> ShownFrames() const;

    enum class Placement { Free, At, Centred, Beside };
    Placement placement_ = Placement::Free;
    QPoint placedAt_;  // the outer window's top left, as asked for
    QPointer<const FormWindow> anchor_;  // what a window placed beside stands next to first
    bool shown_ = false;

    bool loaded_ = false;
    bool unloaded_ = false;
};
