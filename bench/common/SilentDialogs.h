#pragma once
// Dialogs for the benchmarks: nothing waits for a user; every question is cancelled and
// every message is printed instead of shown.

#include "platform/Dialogs.h"

#include <cstdio>

namespace kblbench {

class SilentDialogs final : public platform::Dialogs {
public:
    void message(QWidget*, const QString& text) override { std::printf("(message: %s)\n", qPrintable(text)); }
    void box(QWidget*, const QString& text, const QString&, platform::BoxIcon) override
    {
        std::printf("(box: %s)\n", qPrintable(text));
    }
    std::optional<QString> input(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> chooseFolder(QWidget*, const QString&) override { return {}; }
    std::optional<QString> openFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QColor> chooseColor(QWidget*, const QColor&, platform::CustomColors&) override { return {}; }
    std::optional<QFont> chooseFont(QWidget*, const QFont&, const std::function<void(const QFont&)>&) override
    {
        return {};
    }
};

} // namespace kblbench
