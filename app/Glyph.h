// The check-mark glyph of the job buttons: a green check with a dark-blue
// shadow, and a grey and white outline of it for the disabled button.
#pragma once

#include <QIcon>

QIcon CheckMarkGlyph();
