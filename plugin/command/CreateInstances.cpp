#include "c4d.h"
#include "c4d_symbols.h"
#include "description/Okyranoinstance.h"
#include "PluginIds.h"
#include "Registration.h"

// "Creates Instances": beside every selected object an instance object linked to it, named
// and placed like it; with nothing selected, one unlinked instance object at the top. All of
// it is one undo step.
class CreateInstances : public CommandData {
 public:
  Bool Execute(BaseDocument* doc) override;

 private:
  static void InstanceBeside(BaseDocument* doc, BaseObject* op);
  static void InstanceAtTop(BaseDocument* doc);
};

Bool CreateInstances::Execute(BaseDocument* doc) {
  if (!doc) return TRUE;
  AtomArray* selection = AtomArray::Alloc();
  if (!selection) return TRUE;
  doc->GetActiveObjects(*selection, TRUE);

  doc->StartUndo();
  LONG selected = 0;
  for (LONG i = 0; i < selection->GetCount(); i++) {
    C4DAtom* atom = selection->GetIndex(i);
    if (!atom || !atom->IsInstanceOf(Obase)) continue;
    selected++;
    InstanceBeside(doc, static_cast<BaseObject*>(atom));
  }
  if (selected == 0) InstanceAtTop(doc);
  doc->EndUndo();
  AtomArray::Free(selection);

  doc->Message(MSG_UPDATE);
  EventAdd();
  return TRUE;
}

// Inserted directly after the object, at its level, then given the object's global matrix.
void CreateInstances::InstanceBeside(BaseDocument* doc, BaseObject* op) {
  BaseObject* instance = BaseObject::Alloc(ID_KYRANOINSTANCE);
  if (!instance) return;
  instance->GetDataInstance()->SetLink(INSTANCE_LINK, op);
  doc->InsertObject(instance, op->GetUp(), op, TRUE);
  instance->SetMg(op->GetMg());
  instance->SetName(op->GetName());
  doc->AddUndo(UNDO_NEW, instance);
}

void CreateInstances::InstanceAtTop(BaseDocument* doc) {
  BaseObject* instance = BaseObject::Alloc(ID_KYRANOINSTANCE);
  if (!instance) return;
  doc->InsertObject(instance, nullptr, nullptr, TRUE);
  doc->AddUndo(UNDO_NEW, instance);
}

Bool RegisterCreateInstances() { return RegisterNamedCommand(ID_CREATEINSTANCES, IDS_INSTANCE, "instance.tif", "Creates Instances", new CreateInstances); }
