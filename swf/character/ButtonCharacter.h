#pragma once

#include "Character.h"
#include "render/Filter.h"

#include <QByteArray>
#include <vector>

namespace swf {

// DefineButton / DefineButton2: the characters of each state, the area
// that reacts to the pointer, and the actions run on the transitions
// between the states the pointer drives it through.
class ButtonCharacter : public Character
{
public:
    // The states a record belongs to, as its flags in the file.
    enum State { Up = 0x01, Over = 0x02, Down = 0x04, HitTest = 0x08 };

    // Transitions, as the bits of a BUTTONCONDACTION's conditions: the
    // first byte of the file's field as it stands, then the last bit of
    // the second byte. The three OutDown ones happen only to push
    // buttons, IdleToOverDown and OverDownToIdle only to menu buttons.
    enum Transition {
        IdleToOverUp = 0x001,        // roll over
        OverUpToIdle = 0x002,        // roll out
        OverUpToOverDown = 0x004,    // press
        OverDownToOverUp = 0x008,    // release
        OverDownToOutDown = 0x010,   // drag out
        OutDownToOverDown = 0x020,   // drag over
        OutDownToIdle = 0x040,       // release outside
        IdleToOverDown = 0x080,      // drag over, menu
        OverDownToIdle = 0x100,      // drag out, menu
    };

    struct Record
    {
        int states = 0;              // State flags
        int characterId = 0;
        int depth = 0;
        Matrix matrix;
        ColorTransform cxform;
        int blendMode = 0;
        FilterList filters;
    };

    // Bytecode run on some transitions, or on a key press.
    struct CondAction
    {
        int transitions = 0;         // Transition flags
        int key = 0;                 // 0: none; 1-19 special keys, 32-126 characters
        QByteArray code;             // ACTIONRECORDs as in the file, ending with 0
    };

    struct Definition
    {
        std::vector<Record> records; // in the order of their depths
        std::vector<CondAction> actions;
        bool trackAsMenu = false;
        bool hasOwnCxform = false;   // DefineButton2's records carry their own colours
    };

    ButtonCharacter(int id, Definition definition) : Character(id), m_definition(std::move(definition)) {}
    Type type() const override { return Type::Button; }

    const Definition &definition() const { return m_definition; }
    const std::vector<Record> &records() const { return m_definition.records; }
    const std::vector<CondAction> &actions() const { return m_definition.actions; }
    bool trackAsMenu() const { return m_definition.trackAsMenu; }
    // The records of one state (a State flag), first at a depth only.
    std::vector<const Record *> state(int state) const;

private:
    Definition m_definition;
};

} // namespace swf
