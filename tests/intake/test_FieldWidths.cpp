// The save refuses a text longer than its field of data.d, naming the field, and writes
// nothing; a text exactly as long as the field is kept whole.
#include "IntakeFixture.h"

#include "intake/Announcement.h"
#include "tables/AnnouncementTables.h"

using namespace intaketest;

namespace {

class FieldWidthTest : public IntakeTest {};

TEST_F(FieldWidthTest, TheSaveRefusesWhatItsFieldCannotHold) {
    struct Case {
        QString TAnnouncement::*member;
        const char* field;
        int width;
    };
    const Case cases[] = {
        {&TAnnouncement::client, "Client", kClientWidth},
        {&TAnnouncement::pasport, "Pasport", kPasportWidth},
        {&TAnnouncement::tel, "Tel", kTelWidth},
        {&TAnnouncement::text, "Text", kTextWidth},
        {&TAnnouncement::clientCat, "ClientCat", kClientCatWidth},
        {&TAnnouncement::oplata, "Oplata", kOplataWidth},
        {&TAnnouncement::objCat, "ObjCat", kObjCatWidth},
    };
    start(knownClients());
    int id = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        TAnnouncement a;
        a.id = ++id;
        a.indate = QDate(2026, 12, 9);
        a.client = q("КЛИЕНТ");
        a.*c.member = QString(c.width + 1, u'ж');
        const std::string before = guisupport::readBytes(folder.file(q("data.d")));
        const Result refused = saveAnnouncement(*desk, a, {day(2026, 12, 10)}, true);
        EXPECT_FALSE(refused.ok());
        EXPECT_TRUE(refused.error().contains(QLatin1String(c.field)))
            << refused.error().toStdString();
        EXPECT_EQ(guisupport::readBytes(folder.file(q("data.d"))), before);
        EXPECT_TRUE(runDaysInFile(a.id).empty());

        a.*c.member = QString(c.width, u'ж');
        ASSERT_TRUE(saveAnnouncement(*desk, a, {day(2026, 12, 10)}, true).ok());
        EXPECT_EQ(rowsOf("data.d").back().at(c.field), std::string(size_t(c.width), '\xE6'));
    }
}

} // namespace
