#pragma once

#include "files/codepage.h"

#include <QValidator>

namespace Puckdex {

// Lets into a name box only what the game's files can hold: a character
// outside the code page is refused as it is typed or pasted.
class CodePageValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &) const override
    {
        return CodePage::firstUnencodable(input) < 0 ? Acceptable : Invalid;
    }
};

} // namespace Puckdex
