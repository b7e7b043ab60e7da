#pragma once

#include "platform/SinglePoint.h"
#include "world/InstrumentCodes.h"

#include <QString>

#include <cstdint>
#include <memory>

// What kind of change a subject announces.
enum TNotificationType : std::uint8_t {
    ntPosition = 0,        // an aircraft moved (only the selected one announces it)
    ntHeading = 1,         // an aircraft's heading was set through its value interface
    ntStationPosition = 2, // a station moved (the two-needle RMI also sends it)
    ntOBS = 3,             // a selected course changed
};

// A set of notification kinds in one byte: bit n stands for kind n.
class TNotificationTypes {
public:
    constexpr TNotificationTypes() = default;
    constexpr TNotificationTypes(std::initializer_list<TNotificationType> kinds) {
        for (auto k : kinds) m_bits = static_cast<std::uint8_t>(m_bits | (1u << k));
    }
    static constexpr TNotificationTypes FromBits(std::uint8_t bits) {
        TNotificationTypes t;
        t.m_bits = bits;
        return t;
    }
    constexpr bool Contains(int kind) const { return kind >= 0 && kind < 8 && (m_bits >> kind) & 1u; }
    constexpr bool Empty() const { return m_bits == 0; }
    constexpr std::uint8_t Bits() const { return m_bits; }
    friend constexpr bool operator==(TNotificationTypes a, TNotificationTypes b) { return a.m_bits == b.m_bits; }

private:
    std::uint8_t m_bits = 0;
};
static_assert(sizeof(TNotificationTypes) == 1);

class ISubject;
class IPlaneSubject;
class IStationSubject;
class IInstrument;

// Interfaces are abstract classes shared through std::shared_ptr; asking an
// object for another interface is std::dynamic_pointer_cast (or dynamic_cast
// on a plain pointer). Interfaces that extend ISubject do so virtually, so an
// object implementing several of them has one ISubject.

class IObserver {
public:
    virtual ~IObserver() = default;
    // The subject changed in the announced way; the observer reads what it needs from it.
    virtual void UpdateA(ISubject* theChangedSubject, TNotificationType notificationType) = 0;
    virtual TNotificationTypes GetNotificationTypes() = 0;
};

class ISubject {
public:
    virtual ~ISubject() = default;
    virtual void Attach(const std::shared_ptr<IObserver>& observer) = 0;
    virtual void Detach(const std::shared_ptr<IObserver>& observer) = 0;
    virtual void Notify(TNotificationType notificationType) = 0;
};

class IInstrument {
public:
    virtual ~IInstrument() = default;
    virtual bool GetVisible() = 0;
    virtual void SetVisible(bool value) = 0;
    virtual int GetTyp() = 0;
    virtual void SetTyp(int value) = 0;
};

// The one way a value panel or the value entry dialog changes something.
class IValueSetting {
public:
    virtual ~IValueSetting() = default;
    virtual float GetValue() = 0;
    virtual void SetValue(float value) = 0;
    virtual void SetValueInc(int inc) = 0;
};

class IPlaneSubject : public virtual ISubject {
public:
    virtual TSinglePoint GetAusgangsPosition() = 0;
    virtual TSinglePoint GetPosition() = 0;
    virtual float GetHeading() = 0;
    virtual float GetKurs() = 0;
    virtual float GetSpeed() = 0;
    virtual bool GetSelected() = 0;
    virtual bool GetVisible() = 0;
    virtual void Paint() = 0;
    virtual void AddInstrument(int instrType, int n, bool ins) = 0;
    virtual bool GetAusgangsPositionGespeichert() = 0;
    virtual void SetAusgangsPositionGespeichert(bool value) = 0;
    virtual float GetValue() = 0;
    virtual void SetAusgangsPosition(const TSinglePoint& p) = 0;
    virtual void SetValue(float value) = 0;
    virtual void SetValueInc(int inc) = 0;
    virtual void SetKurs(float value) = 0;
    virtual void SetSelected(bool value) = 0;
    virtual void SetPosition(const TSinglePoint& p) = 0;
    virtual void SetSpeed(float value) = 0;
    virtual void SetVisible(bool value) = 0;
    virtual std::shared_ptr<IInstrument> GetInstrument(int i) = 0;
    virtual void SetInstrument(int i, const std::shared_ptr<IInstrument>& value) = 0;
};

class IInstrumentMitPlane {
public:
    virtual ~IInstrumentMitPlane() = default;
    virtual float GetPlaneHeading() = 0;
    virtual TSinglePoint GetPlanePosition() = 0;
    virtual void SetPlanePosition(const TSinglePoint& p) = 0;
    virtual void SetPlaneHeading(float value) = 0;
    virtual void SetPlaneSubject(const std::shared_ptr<IPlaneSubject>& value) = 0;
};

class IStationSubject : public virtual ISubject {
public:
    virtual QString GetFrequenz() = 0;
    virtual QString GetName() = 0;
    virtual TSinglePoint GetPosition() = 0;
    virtual QString GetTyp() = 0;
    virtual void SetPosition(const TSinglePoint& p) = 0;
};

class IScaleHeading {
public:
    virtual ~IScaleHeading() = default;
    virtual float GetScaleHeading() = 0;
};

// Instruments tuned to a station (all but the heading indicator).
class IInstrumentMitStation {
public:
    virtual ~IInstrumentMitStation() = default;
    virtual QString GetStation() = 0;
    virtual TSinglePoint GetStationPosition() = 0;
    virtual std::shared_ptr<IStationSubject> GetStationSubject() = 0;
    virtual void AttachStationSubject() = 0;
    virtual void DetachStationSubject() = 0;
    virtual void SetStationSubject(const std::shared_ptr<IStationSubject>& value) = 0;
};

// The second needle of the two-needle RMI.
class IRMI2 {
public:
    virtual ~IRMI2() = default;
    virtual float GetRB2() = 0;
    virtual QString GetStation2() = 0;
    virtual bool GetZeigerBelegung() = 0;
    virtual void AttachStation2Subject() = 0;
    virtual void DetachStation2Subject() = 0;
    virtual void SetStation2Subject(const std::shared_ptr<IStationSubject>& value) = 0;
    virtual void SetZeigerBelegung(bool value) = 0;
};

class IVOR {
public:
    virtual ~IVOR() = default;
    virtual bool GetDirToStation() = 0;
    virtual float GetOBS() = 0;
    virtual int GetToFrom() = 0;
    virtual float GetAblage() = 0;
    virtual void SetDirToStation(bool value) = 0;
};

class IHSI {
public:
    virtual ~IHSI() = default;
    virtual float GetAblage() = 0;
    virtual float GetCourse() = 0;
    virtual int GetToFrom() = 0;
};
