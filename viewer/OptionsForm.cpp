#include "OptionsForm.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace options {

namespace {

// Leading blanks, a sign and digits, as a C library reads an integer; no digits or a value
// beyond int reads as 0 so that the builder refuses it instead of taking a wrapped value.
int ReadInteger(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) return 0;
    }
    return int(negative ? -value : value);
}

int FieldValue(const std::string& text, int current)
{
    const std::string taken = text.substr(0, kFieldTextLimit);
    return taken.empty() ? current : ReadInteger(taken);
}

} // namespace

Form Initial(const StoredFlags& stored, const Thumbnails& builder)
{
    Form form;
    if (stored.storeExists) {
        form.showSplash = stored.hideSplashScreen != 1;
        form.drawBorder = stored.drawBorder == 1;
        form.sortOnDate = stored.sortImagesOnDate == 1;
        form.autoOrient = stored.autoOrient != 0;
    }
    form.width = std::to_string(builder.width);
    form.height = std::to_string(builder.height);
    form.columns = std::to_string(builder.columns);
    return form;
}

int Step(int value, int steps, int limit)
{
    const long long next = std::clamp<long long>(value, kThumbMinimum, limit) + steps;
    return int(std::clamp<long long>(next, kThumbMinimum, limit));
}

Outcome Accept(const Form& form, const Thumbnails& builder, bool storeExists, const LiveFlags& live)
{
    Outcome outcome;
    outcome.thumbnails = {FieldValue(form.width, builder.width), FieldValue(form.height, builder.height),
                          FieldValue(form.columns, builder.columns)};
    outcome.flags = live;
    if (!storeExists) return outcome;

    outcome.writes = {{settings::HideSplashScreen, form.showSplash ? 0 : 1},
                      {settings::DrawBorder, form.drawBorder ? 1 : 0},
                      {settings::SortImagesOnDate, form.sortOnDate ? 1 : 0},
                      {settings::AutoOrient, form.autoOrient ? 1 : 0}};
    outcome.flags = {form.drawBorder, form.sortOnDate, form.autoOrient};
    outcome.refresh = form.drawBorder != live.drawBorder || form.sortOnDate != live.sortOnDate ||
                      form.autoOrient != live.autoOrient;
    return outcome;
}

} // namespace options
