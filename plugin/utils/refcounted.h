#pragma once

#include <cassert>
#include <utility>

// Intrusive reference counting for the material model. An object starts with count 0; every
// Reference that holds it adds one, and the last Reference to let go deletes it through the
// virtual destructor. Counts are plain ints: a model tree belongs to one thread.
class RefCounted
{
public:
    RefCounted() : refcount(0) {}
    // A copy is a new object: it starts unowned rather than inheriting the original's owners.
    RefCounted(const RefCounted&) : refcount(0) {}
    RefCounted& operator=(const RefCounted&) { return *this; }

    virtual ~RefCounted() { assert(refcount == 0); }

    void incRefCount()
    {
        assert(refcount >= 0);
        refcount++;
    }

    void decRefCount()
    {
        refcount--;
        assert(refcount >= 0);
    }

    int getRefCount() const { return refcount; }

private:
    int refcount;
};

// Owning smart pointer over a RefCounted object (or null).
template <class T>
class Reference
{
public:
    Reference() : ob(nullptr) {}

    explicit Reference(T* ob_) : ob(ob_)
    {
        if(ob)
            ob->incRefCount();
    }

    Reference(const Reference& other) : ob(other.ob)
    {
        if(ob)
            ob->incRefCount();
    }

    // Lets a Reference to a derived class stand where one to its base is expected.
    template <class U>
    Reference(const Reference<U>& other) : ob(other.getPointer())
    {
        if(ob)
            ob->incRefCount();
    }

    Reference(Reference&& other) noexcept : ob(other.ob) { other.ob = nullptr; }

    ~Reference() { release(); }

    Reference& operator=(const Reference& other)
    {
        if(this == &other)
            return *this;
        // Take the new object before letting go of the old one: the old object may be what
        // keeps the new one alive (assigning a child of the held tree).
        T* const old = ob;
        ob = other.ob;
        if(ob)
            ob->incRefCount();
        releaseObject(old);
        return *this;
    }

    Reference& operator=(Reference&& other) noexcept
    {
        if(this != &other)
        {
            T* const old = ob;
            ob = other.ob;
            other.ob = nullptr;
            releaseObject(old);
        }
        return *this;
    }

    T* getPointer() const { return ob; }
    T* operator->() const { return ob; }
    T& operator*() const { return *ob; }

    bool isNull() const { return ob == nullptr; }
    bool nonNull() const { return ob != nullptr; }

    // Downcast for code that has checked (or is checking) the concrete kind; null when it differs.
    template <class U>
    U* downcast() const { return dynamic_cast<U*>(ob); }

private:
    void release()
    {
        releaseObject(ob);
        ob = nullptr;
    }

    static void releaseObject(T* o)
    {
        if(!o)
            return;
        o->decRefCount();
        if(o->getRefCount() == 0)
            delete o;
    }

    T* ob;
};

// Makes a new object already held by a Reference (count 1).
template <class T, class... Args>
Reference<T> makeReference(Args&&... args)
{
    return Reference<T>(new T(std::forward<Args>(args)...));
}
