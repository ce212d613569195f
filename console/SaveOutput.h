#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace vantrel {

// The name to save a console's output under, asked with the platform's file dialog; empty when the user
// cancelled. Every such question goes through here, so tests answer it without a modal dialog.
using SaveNameHandler = std::function<QString(QWidget* parent, const QString& suggested)>;

QString AskSaveName(QWidget* parent, const QString& suggested);

// Replaces how the name is asked and returns the handler in place; an empty handler restores the dialog.
SaveNameHandler SetSaveNameHandler(SaveNameHandler handler);

// Writes `text` as UTF-8 to a temporary file beside `path` and renames it to `path` once it is whole, so a
// write that fails leaves whatever was there. Returns why it failed, or an empty string.
QString WriteWhole(const QString& path, const QString& text);

// Asks for a name, suggesting `suggested`, and writes `text` there; a message says when that failed.
void SaveOutput(QWidget* parent, const QString& text, const QString& suggested);

} // namespace vantrel
