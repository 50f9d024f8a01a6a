#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class TFileFilter;

// What one side of a filter panel shows, apart from its attribute boxes and
// mask list: the rules the panel follows, free of widgets.
struct TFilterPanelChecks {
    bool Masks = false;
    bool Attr = false;
    bool Size = false;
    bool Size1 = false;
    bool Size2 = false;
    bool Date = false;
};

struct TFilterPanelEnabling {
    bool Attributes = false; // the four attribute boxes
    bool Masks = false;      // the mask list with its + and - buttons
    bool Dates = false;      // both date pickers
    bool SizeChecks = false; // the > and < boxes
    bool Size1 = false;      // the lower bound's spin edit
    bool Size2 = false;      // the upper bound's spin edit
};

TFilterPanelEnabling FilterPanelEnabling(const TFilterPanelChecks& checks);

// One side (include or exclude) of a filter, apart from its attributes.
struct TFilterSide {
    bool UseMasks = false;
    QStringList Masks;
    double Date1 = 0;
    double Date2 = 0;
    int Size1 = 0;
    int Size2 = 0;
};

TFilterSide FilterSide(const TFileFilter& filter, bool include);
// Sets the side's fields; the mask list is compiled and a malformed mask
// raises the filter's mask error with the filter unchanged.
void SetFilterSide(TFileFilter& filter, bool include, const TFilterSide& side);

// Whether a mask may stand in a panel's list, as the + button checks it: it
// holds no control character and it compiles. error tells why not.
bool UsableMask(const QString& mask, QString& error);
// The usable masks of the list, in order: how masks read from the settings
// file are checked.
QStringList UsableMasks(const QStringList& masks);

// A mask typed to be added to a panel's list: the answer without surrounding
// blanks, or the empty text when it adds nothing (empty, or already listed,
// letter case aside). A mask holding a control character or one that does not
// compile gives the empty text and its error in `error`.
QString CheckNewMask(const QStringList& items, const QString& answer, QString& error);

// Calendar days counted from 30 December 1899, as the filter keeps dates.
double DateToDays(const QDate& date);
QDate DaysToDate(double days);
