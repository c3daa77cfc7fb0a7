#include "base/core/ClassRegistry.h"

#include "base/core/TClassInfo.h"
#include "base/core/TList.h"

TList* RegisteredClasses() {
    static TList* classes = new TList;  // lives for the whole run
    return classes;
}

void RegisterClass(const TClassInfo* cls) {
    TList* classes = RegisteredClasses();
    for (; cls != nullptr; cls = cls->Parent) {
        if (classes->Contains(cls))
            return;
        classes->Add(const_cast<TClassInfo*>(cls));
        if (cls == &PersistentClassInfo)
            return;
    }
}

void RegisterClasses(std::initializer_list<const TClassInfo*> classes) {
    for (const TClassInfo* cls : classes)
        RegisterClass(cls);
}

const TClassInfo* FindRegisteredClass(std::string_view name) {
    TList* classes = RegisteredClasses();
    for (std::int32_t i = classes->Count - 1; i >= 0; --i) {
        const auto* cls = classes->At<const TClassInfo>(i);
        if (SameIdent(cls->Name, name))
            return cls;
    }
    return nullptr;
}
