#include "intake/AnnouncementJson.h"

#include "platform/CommandDate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QVariant>

namespace vornelta {

namespace {

Result unread(const QString& reason) {
    return Result::failed(QStringLiteral("Объявление не прочитано: %1").arg(reason));
}

Result wrongType(const QString& name, const char16_t* what) {
    return unread(QStringLiteral("поле «%1» должно быть %2").arg(name, QString::fromUtf16(what)));
}

// The entry form's words for a run day it cannot read.
Result unreadableDate(const QJsonValue& value) {
    const QString shown = value.isString() ? value.toString() : value.toVariant().toString();
    return Result::failed(QStringLiteral("Дата «%1» не читается.").arg(shown));
}

ValueResult<QDate> dateOf(const QJsonValue& value) {
    const QDate date = value.isString() ? parseCommandDate(value.toString()) : QDate();
    if (!date.isValid()) return unreadableDate(value);
    return date;
}

ValueResult<TRealtyChoice> realtyOf(const QJsonValue& value) {
    if (!value.isObject())
        return wrongType(QStringLiteral("realty"), u"объектом {\"vid\", \"tip\"}");
    const QJsonObject object = value.toObject();
    TRealtyChoice choice;
    for (auto it = object.begin(); it != object.end(); ++it) {
        QString* target = it.key() == QLatin1String("vid")   ? &choice.vid
                          : it.key() == QLatin1String("tip") ? &choice.tip
                                                             : nullptr;
        if (!target) return unread(QStringLiteral("неизвестное поле «realty.%1»").arg(it.key()));
        if (!it.value().isString())
            return wrongType(QStringLiteral("realty.") + it.key(), u"строкой");
        *target = it.value().toString();
    }
    return choice;
}

} // namespace

ValueResult<TOutsideAnnouncement> readAnnouncementJson(const QByteArray& json, const QDate& today) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return unread(QStringLiteral("это не JSON (%1, знак %2)")
                          .arg(parseError.errorString())
                          .arg(parseError.offset));
    if (!document.isObject()) return unread(QStringLiteral("ожидается один объект JSON"));

    TOutsideAnnouncement result;
    TAnnouncement& a = result.announcement;
    a.indate = today;
    const struct {
        const char* name;
        QString* value;
    } texts[] = {
        {"Client", &a.client},       {"Pasport", &a.pasport}, {"Tel", &a.tel},
        {"ClientCat", &a.clientCat}, {"Oplata", &a.oplata},   {"ObjCat", &a.objCat},
        {"Text", &a.text},
    };
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString& name = it.key();
        const QJsonValue& value = it.value();
        bool known = false;
        for (const auto& text : texts) {
            if (name != QLatin1String(text.name)) continue;
            if (!value.isString()) return wrongType(name, u"строкой");
            *text.value = value.toString();
            known = true;
        }
        if (known) continue;
        if (name == QLatin1String("povt")) {
            if (!value.isBool()) return wrongType(name, u"true или false");
            a.povt = value.toBool();
        } else if (name == QLatin1String("indate")) {
            const ValueResult<QDate> indate = dateOf(value);
            if (!indate) return indate.status();
            a.indate = indate.value();
        } else if (name == QLatin1String("dates")) {
            if (!value.isArray()) return wrongType(name, u"списком дат");
            for (const QJsonValue& entry : value.toArray()) {
                const ValueResult<QDate> day = dateOf(entry);
                if (!day) return day.status();
                result.runDays << day.value();
            }
        } else if (name == QLatin1String("realty")) {
            ValueResult<TRealtyChoice> realty = realtyOf(value);
            if (!realty) return realty.status();
            result.realty = std::move(realty).value();
        } else {
            // A misspelt member would otherwise be dropped without a word.
            return unread(QStringLiteral("неизвестное поле «%1»").arg(name));
        }
    }
    return result;
}

} // namespace vornelta
