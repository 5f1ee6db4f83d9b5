// BLOB values read and written as streams.
#include "storage/DorodBlobStream.h"
#include "storage/DorodTable.h"

#include <gtest/gtest.h>

namespace {

TEST(DorodBlobStream, ReadsACopyAndWritesBackOnRelease) {
    dorod::TDorodTable table;
    table.FieldDefs = {{"id", dorod::TFieldType::ftInteger, 0},
                       {"XML", dorod::TFieldType::ftMemo, 0}};
    table.Open();
    table.Insert();
    {
        dorod::TDorodBlobStream out(table.FieldByName("XML"), dorod::TBlobStreamMode::bmWrite);
        out.Write("<<255>>\r\n");
        out.Write("abc");
    }
    table.Post();
    EXPECT_EQ(table.FieldByName("XML").AsString(), "<<255>>\r\nabc");

    dorod::TDorodBlobStream in(table.FieldByName("XML"), dorod::TBlobStreamMode::bmRead);
    char buffer[4] = {};
    EXPECT_EQ(in.Read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "<<2");
    EXPECT_EQ(in.Data().size(), 12u);

    // Writing outside the edit states is the dataset's error, raised at once.
    EXPECT_THROW(dorod::TDorodBlobStream(table.FieldByName("XML"), dorod::TBlobStreamMode::bmWrite),
                 dorod::EDatabaseError);
}

} // namespace
