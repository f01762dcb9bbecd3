#include "platform/dialog_units.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <array>
#include <cmath>

#include "platform/dialog_parts.h"

namespace ui {

namespace {

// Text that stands in for the classic dialog fonts, which a Linux host rarely has.
constexpr std::array<std::string_view, 2> kStandIns = {"Liberation Sans", "DejaVu Sans"};

// Rounds half away from zero, inside what a pixel count holds: stored positions may hold any
// number.
int RoundToPixels(double pixels) {
    constexpr double kLimit = 1 << 24;
    if (std::isnan(pixels)) {
        return 0;
    }
    return static_cast<int>(std::lround(std::clamp(pixels, -kLimit, kLimit)));
}

}  // namespace

int AverageCharWidth(int alphabetWidth) {
    return (alphabetWidth / 26 + 1) / 2;
}

int DialogUnitsToPixelsX(double units, const DialogBaseUnits& base) {
    return RoundToPixels(units * base.averageCharWidth / 4.0);
}

int DialogUnitsToPixelsY(double units, const DialogBaseUnits& base) {
    return RoundToPixels(units * base.charHeight / 8.0);
}

double PixelsToDialogUnitsX(int pixels, const DialogBaseUnits& base) {
    return base.averageCharWidth > 0 ? pixels * 4.0 / base.averageCharWidth : 0;
}

double PixelsToDialogUnitsY(int pixels, const DialogBaseUnits& base) {
    return base.charHeight > 0 ? pixels * 8.0 / base.charHeight : 0;
}

int TwipsToPixels(double twips, double dotsPerInch) {
    return RoundToPixels(twips * dotsPerInch / 1440.0);
}

double PixelsToTwips(int pixels, double dotsPerInch) {
    return pixels * 1440.0 / dotsPerInch;
}

std::string ChooseFontFamily(std::string_view requested,
                             const std::function<bool(std::string_view)>& hostHasFamily) {
    if (!requested.empty() && hostHasFamily(requested)) {
        return std::string(requested);
    }
    for (const std::string_view standIn : kStandIns) {
        if (hostHasFamily(standIn)) {
            return std::string(standIn);
        }
    }
    return {};
}

QFont DialogFont(const char* family, int points) {
    const std::string chosen =
        ChooseFontFamily(family != nullptr ? family : "", [](std::string_view name) {
            return QFontDatabase::hasFamily(
                QString::fromUtf8(name.data(), static_cast<int>(name.size())));
        });
    QFont font;
    if (!chosen.empty()) {
        font.setFamily(QString::fromStdString(chosen));
    }
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(points > 0 ? points : 8);
    return font;
}

DialogBaseUnits MeasureDialogFont(const char* family, int points) {
    const QFontMetrics metrics(DialogFont(family, points));
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {AverageCharWidth(alphabet), metrics.height()};
}

double ScreenDotsPerInch() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

}  // namespace ui
