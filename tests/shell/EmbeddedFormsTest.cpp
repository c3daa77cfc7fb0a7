// Every form layout linked into the program (and the tests' own) must read
// through the real form reader into its class. This test lives in the
// binary that links every library, so that the class of any form is here;
// a form whose class is not registered fails with its name.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/core/ClassRegistry.h"
#include "base/core/TClassInfo.h"
#include "base/core/TComponent.h"
#include "base/core/TReader.h"
#include "platform/Resources.h"
#include "support/TestComponents.h"
#include "support/TestSupport.h"

namespace {

TEST(EmbeddedFormsTest, EveryFormResourceReadsIntoItsClass) {
    TestSupport::RegisterTestComponentClasses();
    TestSupport::UseTestResources();
    std::vector<std::string> forms;
    Platform::ForEachResource([&](std::string_view type, std::string_view name) {
        if (type == "FORM")
            forms.emplace_back(name);
    });
    ASSERT_FALSE(forms.empty());
    for (const std::string& name : forms) {
        SCOPED_TRACE(name);
        const TClassInfo* cls = FindRegisteredClass(name);
        ASSERT_NE(cls, nullptr) << "no registered class is named like the form resource " << name;
        ASSERT_NE(cls->Create, nullptr);
        std::unique_ptr<TComponent> form(cls->Create(nullptr));
        EXPECT_TRUE(LoadFormResources(form.get(), nullptr));
        EXPECT_FALSE(form->Name.empty());
        EXPECT_EQ(form->ComponentState, 0);
    }
}

}  // namespace
