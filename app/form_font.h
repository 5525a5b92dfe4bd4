// SPDX-License-Identifier: GPL-3.0-or-later
// The application font each form is laid out for. The standard form's
// rectangles fit a compact dialog font; the wider desktop default would clip
// its tab bar and button texts. The high-DPI form sets every font it needs.
#pragma once

#include <QApplication>
#include <QFont>

inline void applyFormFont()
{
#ifdef VANTREL_FORM_STANDARD
    QApplication::setFont(QFont(QStringLiteral("Liberation Sans Narrow"), 9));
#endif
}
