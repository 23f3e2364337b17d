// The resource service end to end: a test module carrying a hand-made resource note is loaded,
// registered by its instance, read and unregistered.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "host/base/resources.h"
#include "platform/base/module_instance.h"
#include "tests/platform/base/fixture_resources.h"

namespace {

using namespace BaseTest;

class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        library = dlopen(BASE_TEST_RESOURCES, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        instance = ModuleInstanceOf(library);
        module = RSAddModule_ResetCurrentModule(instance);
        ASSERT_GT(module, 0);
    }
    void TearDown() override {
        RSRemoveModule(module);
        if (library != nullptr) dlclose(library);
    }

    std::string Fetch(ZRResType type, ZRResID list, Int32 index, USize size = 256) {
        std::string buffer(size, '#');
        found = RSGetIndString(buffer.data(), size, type, list, index, module);
        return buffer.substr(0, buffer.find('\0'));
    }

    void* library = nullptr;
    ZRInstance instance = nullptr;
    ZRResModule module = InvalidResModule;
    bool found = false;
};

TEST_F(Resources, InstanceFromHandleAndFromAddressAgree) {
    void* anchor = dlsym(library, "BaseTestFixtureAnchor");
    ASSERT_NE(anchor, nullptr);
    EXPECT_EQ(ModuleInstanceOfAddress(anchor), instance);
    EXPECT_NE(instance, nullptr);
    EXPECT_EQ(ModuleInstanceOf(nullptr), nullptr);
}

TEST_F(Resources, RegistrationMakesTheModuleActive) {
    EXPECT_EQ(RSGetActiveModule(), module);
    const ZRResModule second = RSAddModule_ResetCurrentModule(instance);
    EXPECT_GT(second, module);
    EXPECT_EQ(RSGetActiveModule(), second);
    EXPECT_EQ(RSSetActiveModule(module), second);
    EXPECT_EQ(RSGetActiveModule(), module);
    RSRemoveModule(second);
    EXPECT_EQ(RSGetActiveModule(), module);
}

TEST_F(Resources, StringsByListAndPosition) {
    const struct {
        ZRResType type;
        ZRResID list;
        Int32 index;
        bool found;
        const char* text;
    } cases[] = {
        {FixedType, 1, 1, true, "  1 SEPARATOR"},
        {FixedType, 1, 3, true, "  3 DIALOG"},
        {FixedType, 1, 4, false, ""},
        {FixedType, 1, 0, false, ""},
        {StringsType, 3, 2, true, ""},
        {StringsType, 3, 3, true, "third"},
        {StringsType, 1, 1, false, ""},  // no such list of that type
        {FixedType, 2, 1, false, ""},    // no such list
        {StringsType, 9, 1, false, ""},  // byte count overruns the list
        {StringsType, 10, 1, true, "a"},
        {StringsType, 10, 2, false, ""},  // unterminated string
        {StringsType, 11, 1, false, ""},  // no room for a byte count
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Fetch(c.type, c.list, c.index), c.text) << c.list << "/" << c.index;
        EXPECT_EQ(found, c.found) << c.list << "/" << c.index;
    }
}

TEST_F(Resources, StringsAreShortenedToTheBuffer) {
    EXPECT_EQ(Fetch(FixedType, 1, 1, 6), "  1 S");
    EXPECT_TRUE(found);
    EXPECT_EQ(Fetch(FixedType, 1, 1, 1), "");
    char untouched = '#';
    EXPECT_FALSE(RSGetIndString(&untouched, 0, FixedType, 1, 1, module));
    EXPECT_EQ(untouched, '#');
}

TEST_F(Resources, RawResourceBytes) {
    USize size = 0;
    const char* bytes = RSLoadResource(AlertType, 128, module, &size);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string_view(bytes, size), AlertBytes);
    const char* list = RSLoadResource(StringsType, 3, module, &size);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(std::string_view(list, size), std::string_view("\x0D\0\0\0first\0\0third\0", 17));
    EXPECT_EQ(RSLoadResource(AlertType, 129, module, &size), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST_F(Resources, RemovedModuleFindsNothing) {
    RSRemoveModule(module);
    EXPECT_EQ(RSGetActiveModule(), InvalidResModule);
    EXPECT_EQ(Fetch(FixedType, 1, 1), "");
    EXPECT_FALSE(found);
    USize size = 1;
    EXPECT_EQ(RSLoadResource(AlertType, 128, module, &size), nullptr);
    module = InvalidResModule;
}

TEST_F(Resources, TablesOutliveTheModuleFile) {
    dlclose(library);
    library = nullptr;
    EXPECT_EQ(Fetch(StringsType, 3, 3), "third");
}

int FunctionInTheTestProgram() {
    return 1;
}

TEST(ResourceModules, ModulesWithoutValidResourcesAreRefused) {
    void* bad = dlopen(BASE_TEST_BAD_RESOURCES, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(bad, nullptr) << dlerror();
    const ZRResModule active = RSGetActiveModule();
    EXPECT_EQ(RSAddModule_ResetCurrentModule(ModuleInstanceOf(bad)), InvalidResModule);
    EXPECT_EQ(RSGetActiveModule(), active);
    dlclose(bad);
    const ZRInstance program =
        ModuleInstanceOfAddress(reinterpret_cast<const void*>(&FunctionInTheTestProgram));
    EXPECT_EQ(RSAddModule_ResetCurrentModule(program), InvalidResModule);
    EXPECT_EQ(RSAddModule_ResetCurrentModule(reinterpret_cast<ZRInstance>(0x1234)),
              InvalidResModule);
}

}  // namespace
