#include "files/filterpanel.h"

#include <cmath>

#include "files/filefilter.h"
#include "platform/error.h"
#include "platform/format.h"

namespace {
const QDate kDayZero(1899, 12, 30);
}

TFilterPanelEnabling FilterPanelEnabling(const TFilterPanelChecks& checks) {
    TFilterPanelEnabling on;
    on.Attributes = checks.Attr;
    on.Masks = checks.Masks;
    on.Dates = checks.Date;
    on.SizeChecks = checks.Size;
    on.Size1 = checks.Size && checks.Size1;
    on.Size2 = checks.Size && checks.Size2;
    return on;
}

TFilterSide FilterSide(const TFileFilter& filter, bool include) {
    TFilterSide side;
    side.UseMasks = include ? filter.IUseMasks : filter.EUseMasks;
    side.Masks = include ? filter.IMasks() : filter.EMasks();
    side.Date1 = include ? filter.IDate1 : filter.EDate1;
    side.Date2 = include ? filter.IDate2 : filter.EDate2;
    side.Size1 = include ? filter.ISize1 : filter.ESize1;
    side.Size2 = include ? filter.ISize2 : filter.ESize2;
    return side;
}

void SetFilterSide(TFileFilter& filter, bool include, const TFilterSide& side) {
    const QStringList masks = side.UseMasks ? side.Masks : QStringList();
    if (include) {
        filter.SetIMasks(masks);
        filter.IUseMasks = side.UseMasks;
        filter.IDate1 = side.Date1;
        filter.IDate2 = side.Date2;
        filter.ISize1 = side.Size1;
        filter.ISize2 = side.Size2;
    } else {
        filter.SetEMasks(masks);
        filter.EUseMasks = side.UseMasks;
        filter.EDate1 = side.Date1;
        filter.EDate2 = side.Date2;
        filter.ESize1 = side.Size1;
        filter.ESize2 = side.Size2;
    }
}

bool UsableMask(const QString& mask, QString& error) {
    error.clear();
    for (qsizetype i = 0; i < mask.size(); ++i) {
        if (!TFileFilter::StorableMask(QStringView(mask).sliced(i, 1))) {
            error = InvalidMaskMessage(mask, i + 1);
            return false;
        }
    }
    try {
        TFileMask compiled(mask);
    } catch (const bw::Error& e) {
        error = e.message();
        return false;
    }
    return true;
}

QStringList UsableMasks(const QStringList& masks) {
    QStringList out;
    QString error;
    for (const QString& m : masks)
        if (UsableMask(m, error))
            out << m;
    return out;
}

QString CheckNewMask(const QStringList& items, const QString& answer, QString& error) {
    error.clear();
    const QString mask = answer.trimmed();
    if (mask.isEmpty() || !UsableMask(mask, error))
        return {};
    for (const QString& item : items)
        if (item.compare(mask, Qt::CaseInsensitive) == 0)
            return {};
    return mask;
}

double DateToDays(const QDate& date) { return static_cast<double>(kDayZero.daysTo(date)); }

QDate DaysToDate(double days) { return kDayZero.addDays(static_cast<qint64>(std::floor(days))); }
