// Ownership of Firebird interface objects: a handle releases what it holds when it goes out of
// scope. Reference-counted interfaces (statements, metadata, blobs, cursors) are released;
// disposable ones (status vectors, parameter block builders) are disposed. Where a handle is
// destroyed, firebird/Interface.h must be included.
#pragma once

#include <memory>
#include <type_traits>

namespace Firebird {
class IReferenceCounted;
class IXpbBuilder;
class IMessageMetadata;
class IMetadataBuilder;
class IStatement;
class IBlob;
class IResultSet;
} // namespace Firebird

struct FbRelease {
    template <class T> void operator()(T* object) const {
        if constexpr (std::is_base_of_v<Firebird::IReferenceCounted, T>)
            object->release();
        else
            object->dispose();
    }
};

template <class T> using FbHandle = std::unique_ptr<T, FbRelease>;

using FbXpbBuilder = FbHandle<Firebird::IXpbBuilder>;
using FbMetadata = FbHandle<Firebird::IMessageMetadata>;
using FbMetadataBuilder = FbHandle<Firebird::IMetadataBuilder>;
using FbStatement = FbHandle<Firebird::IStatement>;
using FbBlob = FbHandle<Firebird::IBlob>;
using FbResultSet = FbHandle<Firebird::IResultSet>;
