#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QImage>

#include "ui/Fonts.h"
#include "ui/HourglassGuard.h"
#include "ui/Icons.h"
#include "ui/SnapBack.h"
#include "ui/Toolbar.h"
#include "ui/Twips.h"

namespace {

TEST(Twips, ConvertWithTheScreensDpi) {
    const double dpi = Twips::DpiX();
    ASSERT_GT(dpi, 0);
    EXPECT_EQ(Twips::ToPxX(1440), qRound(dpi));
    EXPECT_EQ(Twips::ToPxY(1440), qRound(Twips::DpiY()));
    EXPECT_EQ(Twips::Rect(120, 240, 3660, 1605),
              QRect(Twips::ToPxX(120), Twips::ToPxY(240), Twips::ToPxX(3660), Twips::ToPxY(1605)));
    for (int px : {0, 1, 15, 344, 1000}) EXPECT_EQ(Twips::ToPxX(Twips::FromPxX(px)), px);
    if (dpi == 96) {
        EXPECT_EQ(Twips::Size(5160, 4515), QSize(344, 301));
        EXPECT_EQ(Twips::FromPxX(1), 15);
    }
}

TEST(Fonts, ClassicFamiliesMapToTheirLinuxTwins) {
    const std::pair<const char*, const char*> cases[] = {
        {"Times New Roman", "Liberation Serif"},
        {"MS Sans Serif", "Liberation Sans"},
        {"Lucida Console", "Liberation Mono"},
    };
    for (const auto& [classic, installed] : cases) {
        const QFont font = Fonts::Get(classic, 18, true);
        EXPECT_EQ(QFontInfo(font).family(), installed) << classic;
        EXPECT_TRUE(font.bold());
        EXPECT_DOUBLE_EQ(font.pointSizeF(), 18);
    }
    EXPECT_EQ(Fonts::Family("Some Other Font"), "Some Other Font");
    EXPECT_FALSE(Fonts::Get("Times New Roman", 8.25).bold());
}

TEST(Toolbar, KeyedButtonsReportClicksAndCarryTheirNames) {
    Toolbar bar;
    bar.AddButton("Save", "Save As", Icons::Get("Save"));
    bar.AddButton("Pause", "Pause", Icons::Get("Pause"));
    QAction* hidden = bar.AddButton("Start", "Start", Icons::Get("Start"));
    bar.SetButtonVisible("Start", false);
    QStringList clicks;
    QObject::connect(&bar, &Toolbar::ButtonClick, [&](const QString& key) { clicks << key; });

    bar.Trigger("Pause");
    bar.Trigger("Unknown");
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0], "Pause");

    bar.SetButtonTooltip("Pause", "Start");
    bar.SetButtonIcon("Pause", bar.ButtonIcon("Start"));
    EXPECT_EQ(bar.ButtonTooltip("Pause"), "Start");
    EXPECT_EQ(bar.Button("Pause")->text(), "Start") << "the spoken name follows the tooltip";
    EXPECT_EQ(bar.ButtonIcon("Pause").cacheKey(), hidden->icon().cacheKey());
    EXPECT_FALSE(bar.ButtonVisible("Start"));
    EXPECT_TRUE(bar.ButtonVisible("Save"));
    EXPECT_EQ(bar.toolButtonStyle(), Qt::ToolButtonIconOnly);

    bar.SetButtonEnabled("Save", false);
    bar.Trigger("Save");
    EXPECT_EQ(clicks.size(), 1) << "a disabled button cannot be clicked";
}

// Pixels that are clearly drawn on.
int Ink(const QImage& image) {
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ink += qAlpha(image.pixel(x, y)) > 128;
    return ink;
}

TEST(Icons, EveryPictureIsVisibleAndUnlikeTheOthers) {
    std::vector<QImage> pictures;
    for (const QString& key : Icons::Keys()) {
        const QImage image = Icons::Get(key).pixmap(QSize(24, 24)).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_GT(Ink(image), 20) << key.toStdString();
        for (const QImage& other : pictures) EXPECT_NE(image, other) << key.toStdString();
        pictures.push_back(image);
    }
    EXPECT_GE(pictures.size(), 14u);
    for (qreal dpr : {1.0, 2.0}) {
        for (QChar unit : {QChar('C'), QChar('F'), QChar('K')}) {
            const QPixmap pixmap = Icons::Unit(unit, QSize(32, 32), dpr);
            EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(32, 32));
            const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
            EXPECT_EQ(image.size(), QSize(32, 32) * dpr);
            EXPECT_GT(Ink(image), image.width() * image.height() / 20) << unit.toLatin1();
            for (const QImage& other : pictures) EXPECT_NE(image, other);
            pictures.push_back(image);
        }
    }
}

TEST(HourglassGuard, RestoresThePointerOnEveryWayOut) {
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    try {
        HourglassGuard busy;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        throw 1;
    } catch (int) {
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    QApplication::setOverrideCursor(Qt::CrossCursor);
    {
        HourglassGuard busy;
        busy.Restore();
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
    }
    ASSERT_NE(QApplication::overrideCursor(), nullptr) << "restored once, not twice";
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QApplication::restoreOverrideCursor();
}

}  // namespace

// A window dragged below its least size is asked back once; a window manager that keeps it
// smaller (answering with the same size) is not asked again, until the user resizes anew.
TEST(SnapBack, AsksOncePerResizeBelowTheLeastSize) {
    const QSize least(400, 300);
    struct Step {
        QSize resizedTo;
        std::optional<QSize> answer;
    };
    const Step steps[] = {
        {{500, 400}, std::nullopt}, {{100, 100}, least},        {{100, 100}, std::nullopt},
        {{100, 100}, std::nullopt}, {{90, 100}, least},         {{90, 100}, std::nullopt},
        {{400, 300}, std::nullopt}, {{100, 100}, least},        {{400, 300}, std::nullopt},
    };
    SnapBack snap(least);
    int i = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(i++);
        EXPECT_EQ(snap.Answer(step.resizedTo), step.answer);
    }
}
