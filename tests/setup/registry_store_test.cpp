// The registry store: typed values survive a round trip through the file,
// keys behave like registry keys, and a damaged file is reported, never
// overwritten.
#include <gtest/gtest.h>

#include <cstring>

#include "setup/registry_store.h"
#include "setup_test_env.h"

namespace {

class RegistryStore : public ::testing::Test {
  protected:
    setup_test_env env;
    registry_store store{env.registry()};
};

TEST_F(RegistryStore, ValuesKeepTheirTypesAndBytes) {
    ASSERT_TRUE(store.create_key(reg_root::hklm, "Software\\VELT\\ORV1"));
    std::string odd_text =
        std::string("a \"quoted\"\\ path\n\twith\x01 bytes \xc3\xa9 and = [x]", 40);
    vthash values;
    values.set(vtval("text"), vtval(std::string_view(odd_text)));
    values.set(vtval("number"), vtval(-42));
    values.set(vtval("flag"), vtval::make_bool(true));
    values.set(vtval("real"), vtval::make_real(2.5));
    values.set(vtval(""), vtval("default value"));
    ASSERT_TRUE(store.write_values(reg_root::hklm, "Software\\VELT\\ORV1", values));

    registry_store again(env.registry());
    vthash read;
    for (const char* name : {"text", "number", "flag", "real", "", "absent"})
        read.set(vtval(name), vtval(7));
    ASSERT_TRUE(again.read_values(reg_root::hklm, "software\\velt\\orv1", read));
    EXPECT_EQ(read.find("text")->text(), odd_text);
    EXPECT_EQ(read.find("text")->type(), VT_STRING);
    EXPECT_EQ(read.find("number")->type(), VT_INT);
    EXPECT_EQ(read.find("number")->to_integer(), -42);
    EXPECT_EQ(read.find("flag")->to_integer(), 1);
    double real = 0;
    ASSERT_EQ(read.find("real")->text().size(), sizeof real);
    std::memcpy(&real, read.find("real")->text().data(), sizeof real);
    EXPECT_EQ(real, 2.5);
    EXPECT_EQ(read.find("")->text(), "default value");
    EXPECT_EQ(read.find("absent")->text(), "");
    EXPECT_EQ(read.find("absent")->type(), VT_STRING);
}

TEST_F(RegistryStore, MissingKeysFailWithoutAnExplanation) {
    vthash values;
    values.set(vtval("inst_dir"), vtval(""));
    EXPECT_FALSE(store.read_values(reg_root::hklm, "Software\\VELT\\ORV1", values));
    EXPECT_EQ(store.error(), "");
    EXPECT_FALSE(store.write_values(reg_root::hklm, "Software\\VELT\\ORV1", values));
    EXPECT_FALSE(exists(store.file_path(reg_root::hklm)));
    EXPECT_FALSE(store.create_key(reg_root::hklm, "Software\\\\Twice"));
    EXPECT_FALSE(store.create_key(reg_root::hklm, "\\Leading"));
}

TEST_F(RegistryStore, RootsAreSeparateFiles) {
    ASSERT_TRUE(store.create_key(reg_root::hkcr, "text/html\\shell"));
    EXPECT_TRUE(store.key_exists(reg_root::hkcr, "TEXT/HTML"));
    EXPECT_FALSE(store.key_exists(reg_root::hklm, "text/html"));
    EXPECT_TRUE(exists(env.registry() + "/HKCR"));
    EXPECT_FALSE(exists(env.registry() + "/HKLM"));
}

TEST_F(RegistryStore, DeletingTheLastKeyLeavesNoTrace) {
    std::string before = snapshot(env.home());
    ASSERT_TRUE(store.create_key(reg_root::hklm, "Software\\VELT\\ORV1"));
    ASSERT_TRUE(store.create_key(reg_root::hklm, "Software\\Other"));
    ASSERT_TRUE(store.delete_key(reg_root::hklm, "Software\\VELT\\ORV1"));
    EXPECT_FALSE(store.key_exists(reg_root::hklm, "Software\\VELT"));
    EXPECT_TRUE(store.key_exists(reg_root::hklm, "Software\\Other"));
    ASSERT_TRUE(store.delete_key(reg_root::hklm, "Software\\Other"));
    EXPECT_EQ(snapshot(env.home()), before);
    EXPECT_FALSE(store.delete_key(reg_root::hklm, "Software"));
}

TEST_F(RegistryStore, ParentsWithValuesOrOtherChildrenStay) {
    ASSERT_TRUE(store.create_key(reg_root::hklm, "A\\B\\C"));
    vthash values;
    values.set(vtval("keep"), vtval(1));
    ASSERT_TRUE(store.write_values(reg_root::hklm, "A", values));
    ASSERT_TRUE(store.delete_key(reg_root::hklm, "A\\B\\C"));
    EXPECT_FALSE(store.key_exists(reg_root::hklm, "A\\B"));
    EXPECT_TRUE(store.key_exists(reg_root::hklm, "A"));
    // A sibling whose name starts like the deleted key is not below it.
    ASSERT_TRUE(store.create_key(reg_root::hklm, "A\\BC"));
    ASSERT_TRUE(store.create_key(reg_root::hklm, "A\\B"));
    ASSERT_TRUE(store.delete_key(reg_root::hklm, "A\\B"));
    EXPECT_TRUE(store.key_exists(reg_root::hklm, "A\\BC"));
}

TEST_F(RegistryStore, DamagedFileIsReportedAndKept) {
    ASSERT_TRUE(store.create_key(reg_root::hklm, "Software"));
    const std::string path = store.file_path(reg_root::hklm);
    for (std::string damage :
         {std::string("[Software]\n\"x\"=text:\"unterminated\n"), std::string("\"orphan\"=int:1\n"),
          std::string("[Software]\n\"n\"=int:12x\n"), std::string("[Software]\n\"b\"=bin:0g\n"),
          std::string("[Software\n"), std::string("[A]\n\"x\"=text:\"\\q\"\n"),
          std::string("[A]\x00\n", 5)}) {
        write_text(path, damage);
        vthash values;
        values.set(vtval("x"), vtval(""));
        EXPECT_FALSE(store.read_values(reg_root::hklm, "Software", values)) << damage;
        EXPECT_NE(store.error().find("is damaged"), std::string::npos) << damage;
        EXPECT_NE(store.error().find(path), std::string::npos);
        EXPECT_FALSE(store.create_key(reg_root::hklm, "Software\\New"));
        EXPECT_FALSE(store.delete_key(reg_root::hklm, "Software"));
        EXPECT_EQ(read_text(path), damage);
    }
    write_text(path, "[Software]\n\"x\"=text:\"ok\"\n\"x\"=int:");
    EXPECT_FALSE(store.key_exists(reg_root::hklm, "Software"));
    EXPECT_NE(store.error().find("line 3"), std::string::npos);
}

TEST_F(RegistryStore, HandEditedFileIsRead) {
    make_folder(env.config() + "/VELT");
    make_folder(env.registry());
    write_text(
        store.file_path(reg_root::hkcu),
        "; edited by hand\r\n\r\n[Software\\X]\r\n@=text:\"d\"\r\n\"n\"=int:-5\r\n\"b\"=bin:\r\n");
    vthash values;
    values.set(vtval(""), vtval(0));
    values.set(vtval("N"), vtval(0));
    values.set(vtval("b"), vtval(0));
    ASSERT_TRUE(store.read_values(reg_root::hkcu, "software\\x", values));
    EXPECT_EQ(values.find("")->text(), "d");
    EXPECT_EQ(values.find("N")->to_integer(), -5);
    EXPECT_EQ(values.find("b")->text(), "");
}

}  // namespace
