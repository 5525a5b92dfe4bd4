// SPDX-License-Identifier: GPL-3.0-or-later
#include "output.h"

#include <QJsonDocument>

#include <cstdio>

namespace vantrel::cli {

void writeStdout(const std::vector<uint8_t> &bytes)
{
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

void Output::line(const QString &text) const
{
    if (json_)
        return;
    // Texts from the box (a source's name) reach a terminal: no control bytes.
    QString shown = text;
    for (QChar &c : shown)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    const QByteArray bytes = shown.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
}

void Output::raw(const std::string &text) const
{
    if (!json_)
        std::fwrite(text.data(), 1, text.size(), stdout);
}

void Output::finish() const
{
    if (!json_ || streamed_)
        return;
    const QByteArray bytes = QJsonDocument(doc_).toJson(QJsonDocument::Indented);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void Output::finishWithError(const std::string &message, int status) const
{
    if (!json_)
        return;
    QJsonObject error;
    error.insert(QStringLiteral("error"), QString::fromStdString(message));
    error.insert(QStringLiteral("exitStatus"), status);
    const QByteArray bytes = QJsonDocument(error).toJson(QJsonDocument::Indented);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

} // namespace vantrel::cli
