// BlockLayout: a parameter block described once, as a table of fields (offset, width,
// no-change rule of the pending record, scale constant, record member), and the three
// routines that table drives: decoding the block's data into the image, merging the
// pending record into the image, and encoding the image back into data.
//
// A field is a member of the block's record or every element of an array member; an
// array's elements follow one another in the data, in order or reversed (data entry k in
// element count - 1 - k). Values in engineering units are the raw counts times their
// scale constant; encoding divides by it again (the writer rounds to whole counts and
// clamps what does not fit). A field with a rule of its own keeps it in a hook: `take`
// stores a decoded value instead of the plain copy, `merge` replaces the plain merge.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <type_traits>

#include "model/HexFields.h"
#include "model/ParameterImage.h"
#include "model/ScaleConfig.h"

namespace gw {

// What the pending record holds when a field is not to change, and which pending
// values are changes.
enum class PendingRule : std::uint8_t {
    Byte,     // 255 is no change
    Int,      // -1 is no change; any value >= 0 is a change
    Real,     // -1 is no change; any value greater than -1 is a change
    Signed,   // 99999999 is no change (the value may be negative)
    Counter,  // 0 is no change; a negative counter goes out as all ones: the ECU clears it
    Flag,     // 255 is no change; only 0 and 1 are taken
};

// Where a field lives in its record; made by `In<&Record::Member>()`.
template <class Record>
struct FieldSlot {
    double (*get)(const Record&, std::size_t element) = nullptr;
    void (*set)(Record&, std::size_t element, double value) = nullptr;
    std::size_t count = 1;  // elements: 1 for a plain member
    bool integer = false;   // an int member (never scaled)
};

// The scale of a field whose value is its raw count.
inline constexpr double ScaleConfig::*kRaw = nullptr;

enum class ElementOrder : std::uint8_t { InOrder, Reversed };

template <class Record>
struct BlockField {
    std::size_t offset;
    FieldWidth width;
    PendingRule pending;
    double ScaleConfig::*scale;  // nullptr: the value is the raw count
    FieldSlot<Record> slot;
    ElementOrder order = ElementOrder::InOrder;
    // Rules of its own: `take` receives a decoded (scaled) value that is present;
    // `merge` merges this field's pending value and resets its marker.
    void (*take)(ParameterImage&, double value) = nullptr;
    void (*merge)(ParameterImage&) = nullptr;
    // The value the field takes when the ECU sends the block in its short form.
    std::optional<double> shortForm{};

    constexpr BlockField Reversed() const {
        BlockField f = *this;
        f.order = ElementOrder::Reversed;
        return f;
    }
    constexpr BlockField Hooks(void (*takeHook)(ParameterImage&, double),
                               void (*mergeHook)(ParameterImage&)) const {
        BlockField f = *this;
        f.take = takeHook;
        f.merge = mergeHook;
        return f;
    }
    constexpr BlockField ShortForm(double value) const {
        BlockField f = *this;
        f.shortForm = value;
        return f;
    }
    constexpr std::size_t End() const { return offset + BytesOf(width) * slot.count; }
    // The record element that data entry k of this field fills.
    constexpr std::size_t Element(std::size_t k) const {
        return order == ElementOrder::Reversed ? slot.count - 1 - k : k;
    }
};

namespace layout_detail {

template <class M>
struct MemberOf;
template <class R, class T>
struct MemberOf<T R::*> {
    using Record = R;
    using Type = T;
};

template <class T>
struct Elements {
    using Type = T;
    static constexpr std::size_t count = 1;
    static constexpr T& At(T& v, std::size_t) { return v; }
    static constexpr const T& At(const T& v, std::size_t) { return v; }
};
template <class E, std::size_t N>
struct Elements<std::array<E, N>> {
    using Type = E;
    static constexpr std::size_t count = N;
    static constexpr E& At(std::array<E, N>& a, std::size_t i) { return a[i]; }
    static constexpr const E& At(const std::array<E, N>& a, std::size_t i) { return a[i]; }
};

}  // namespace layout_detail

template <auto Member>
constexpr auto In() {
    using M = layout_detail::MemberOf<decltype(Member)>;
    using Record = typename M::Record;
    using Els = layout_detail::Elements<typename M::Type>;
    using E = typename Els::Type;
    static_assert(std::is_same_v<E, int> || std::is_same_v<E, double>, "block fields are int or double");
    FieldSlot<Record> s;
    s.get = [](const Record& r, std::size_t i) -> double { return Els::At(r.*Member, i); };
    s.set = [](Record& r, std::size_t i, double v) { Els::At(r.*Member, i) = static_cast<E>(v); };
    s.count = Els::count;
    s.integer = std::is_same_v<E, int>;
    return s;
}

// True when the fields follow one another from offset 0 to `bytes` without gap or
// overlap and no int member is scaled. Checked at compile time for every table (only on
// plain values: a sanitizer build cannot compare function pointers at compile time).
template <class Record>
constexpr bool WellFormed(std::span<const BlockField<Record>> fields, std::size_t bytes) {
    std::size_t at = 0;
    for (const auto& f : fields) {
        if (f.offset != at || f.slot.count == 0) return false;
        if (f.slot.integer && f.scale) return false;
        at = f.End();
    }
    return at == bytes;
}

// Decodes the data (hexadecimal text) into the record. A field whose bytes are not all
// present and hexadecimal keeps its value.
template <class Record>
void DecodeFields(std::span<const BlockField<Record>> fields, const HexFieldReader& r, Record& record,
                  const ScaleConfig& scale, ParameterImage& owner) {
    for (const auto& f : fields) {
        const std::size_t bytes = BytesOf(f.width);
        for (std::size_t k = 0; k < f.slot.count; ++k) {
            std::optional<double> v = r.Field(f.width, f.offset + k * bytes);
            if (!v) continue;
            const double value = f.scale ? *v * (scale.*f.scale) : *v;
            if (f.take)
                f.take(owner, value);
            else
                f.slot.set(record, f.Element(k), value);
        }
    }
}

// The record's fields that have a short-form value take it.
template <class Record>
void ApplyShortForm(std::span<const BlockField<Record>> fields, Record& record) {
    for (const auto& f : fields)
        if (f.shortForm)
            for (std::size_t i = 0; i < f.slot.count; ++i) f.slot.set(record, i, *f.shortForm);
}

constexpr double NoChangeMarker(PendingRule rule) {
    switch (rule) {
        case PendingRule::Byte:
        case PendingRule::Flag: return kNoChangeByte;
        case PendingRule::Int: return kNoChangeInt;
        case PendingRule::Real: return kNoChangeDouble;
        case PendingRule::Signed: return kNoChangeSigned;
        case PendingRule::Counter: return kNoChangeCounter;
    }
    return kNoChangeByte;
}

constexpr bool IsChange(PendingRule rule, double pending) {
    switch (rule) {
        case PendingRule::Int: return pending >= 0;
        case PendingRule::Real: return pending > kNoChangeDouble;
        case PendingRule::Flag: return pending == 0 || pending == 1;
        default: return pending != NoChangeMarker(rule);
    }
}

// Merges one element of a pending record into the image by the field's rule and puts
// the pending value back to its no-change marker.
template <class Record>
void MergeElement(PendingRule rule, const FieldSlot<Record>& slot, std::size_t i, Record& image, Record& pending) {
    const double p = slot.get(pending, i);
    if (IsChange(rule, p)) slot.set(image, i, p);
    slot.set(pending, i, NoChangeMarker(rule));
}

template <class Record>
void MergeFields(std::span<const BlockField<Record>> fields, Record& image, Record& pending, ParameterImage& owner) {
    for (const auto& f : fields) {
        if (f.merge) {
            f.merge(owner);
            continue;
        }
        for (std::size_t i = 0; i < f.slot.count; ++i) MergeElement(f.pending, f.slot, i, image, pending);
    }
}

// The record as data (hexadecimal text), every field in its width.
template <class Record>
std::string EncodeFields(std::span<const BlockField<Record>> fields, const Record& record, const ScaleConfig& scale) {
    HexFieldWriter w;
    for (const auto& f : fields) {
        for (std::size_t k = 0; k < f.slot.count; ++k) {
            double v = f.slot.get(record, f.Element(k));
            if (f.scale) v /= scale.*f.scale;
            if (f.pending == PendingRule::Counter && v < 0) v = std::pow(256.0, BytesOf(f.width)) - 1;
            w.Field(f.width, v);
        }
    }
    return w.Hex();
}

}  // namespace gw
