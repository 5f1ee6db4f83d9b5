// Each table is defined once: the files the desk creates, the demo maker and the
// benchmarks' workload writes must all have that definition's fields.
#include "tables/defs/TableDefinitions.h"
#include "tools/workload/Workload.h"

#include "storage/DorodTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace vornelta;

namespace {

struct FieldShape {
    std::string name;
    dorod::FieldType type;
    int32_t size;
    bool operator==(const FieldShape&) const = default;
};

std::vector<FieldShape> shapeOf(const std::string& path) {
    dorod::TDorodTable table;
    table.SetTableName(path);
    table.Open();
    std::vector<FieldShape> shape;
    for (const dorod::TDorodField& f : table.Store()->Layout()->fields)
        shape.push_back({f.name, f.type, f.declaredSize});
    return shape;
}

std::vector<FieldShape> shapeOf(const std::vector<dorod::TDorodField>& fields) {
    std::vector<FieldShape> shape;
    for (const dorod::TDorodField& f : fields)
        shape.push_back({f.name, f.type, f.declaredSize});
    return shape;
}

void PrintTo(const FieldShape& f, std::ostream* os) {
    *os << f.name << ' ' << int(f.type) << ' ' << f.size;
}

} // namespace

TEST(TableDefinitions, CreatedFilesHaveTheDefinedFieldsWithShortTextsInline) {
    testsupport::TempDir dir;
    std::set<std::string> files;
    for (const TTableDefinition* table : {&announcementTable(), &runDateTable(), &realtyTable(),
                                          &realtyOutTable(), &transferTable()}) {
        SCOPED_TRACE(table->fileName);
        files.insert(table->fileName);
        const std::string path = dir.file(table->fileName);
        std::string message;
        ASSERT_TRUE(dorod::createTableFile(path, table->fields, message)) << message;
        const std::vector<FieldShape> shape = shapeOf(path);
        EXPECT_EQ(shape, shapeOf(table->storeFields()));
        ASSERT_EQ(shape.size(), table->fields.size());
        for (size_t i = 0; i < shape.size(); ++i) {
            const dorod::TFieldDef& def = table->fields[i];
            if (def.DataType != dorod::TFieldType::ftString) continue;
            EXPECT_EQ(shape[i].type,
                      def.Size <= 35 ? dorod::FieldType::SmallStr : dorod::FieldType::String)
                << def.Name;
            EXPECT_EQ(shape[i].size, def.Size) << def.Name;
        }
    }
    EXPECT_EQ(files.size(), 5u);
    EXPECT_EQ(announcementTable().componentName, "tData");
    EXPECT_EQ(runDateTable().componentName, "tDates");
    EXPECT_EQ(realtyTable().componentName, "tRielt");
    EXPECT_EQ(realtyOutTable().componentName, "tRieltOut");
}

// The benchmarks measure the files the program writes: the workload's data.d and dates.d
// open with exactly the fields of the desk's own empty tables.
TEST(TableDefinitions, WorkloadFilesHaveTheProgramsLayout) {
    testsupport::TempDir dir;
    const workload::WorkloadFiles files = workload::writeLargeWorkload(dir.path().string(), 30, 90);
    for (const auto& [path, table] : {std::pair{files.dataPath, &announcementTable()},
                                      std::pair{files.datesPath, &runDateTable()}}) {
        SCOPED_TRACE(path);
        const std::string empty = dir.file("empty-" + table->fileName);
        std::string message;
        ASSERT_TRUE(dorod::createTableFile(empty, table->fields, message)) << message;
        EXPECT_EQ(shapeOf(path), shapeOf(empty));
    }
}
