#include "ViewScene.h"

#include "host/DocumentIO.h"
#include "host/PluginRegistry.h"

namespace cli {

namespace {

const Vector kDefaultObjectColor(0.8f, 0.8f, 0.8f);

Vector DisplayColor(BaseObject* op, BaseDocument* doc) {
  const BaseContainer* bc = op->GetDataInstance();
  switch (bc->GetLong(ID_BASEOBJECT_USECOLOR, ID_BASEOBJECT_USECOLOR_OFF)) {
    case ID_BASEOBJECT_USECOLOR_ALWAYS: return bc->GetVector(ID_BASEOBJECT_COLOR, kDefaultObjectColor);
    case ID_BASEOBJECT_USECOLOR_LAYER:
      if (const LayerData* layer = op->GetLayerData(doc)) return layer->color;
      return kDefaultObjectColor;
    default: return kDefaultObjectColor;
  }
}

bool IsPluginNode(BaseList2D* node, host::PluginKind kind) {
  const host::PluginRecord* rec = host::PluginRegistry::Get().Find(node->GetType());
  return rec && rec->kind == kind && node->GetNodeData();
}

class ViewWalk {
 public:
  ViewWalk(BaseDocument* doc, BaseDraw* bd, BaseObject* camera, host::Visibility visibility)
      : doc_(doc), bd_(bd), camera_(camera), visibility_(visibility) {}
  void Walk(BaseObject* op, const Matrix& parent) {
    for (; op; op = op->GetNext()) {
      const Matrix mg = parent * op->GetMl();
      Visit(op, mg);
      Walk(op->GetDown(), mg);
    }
  }
  std::vector<ViewObject> objects;

 private:
  void Visit(BaseObject* op, const Matrix& mg) {
    if (op != camera_ && host::IsShown(op, doc_, visibility_)) {
      ViewObject o{host::ObjectPath(op), DisplayColor(op, doc_), mg, {}};
      host::AddViewGeometry(op, mg, o.surface);
      objects.push_back(std::move(o));
    }
    BaseDrawHelp bh(bd_, doc_);
    bh.SetMg(mg);
    if (IsPluginNode(op, host::PluginKind::Object))
      static_cast<ObjectData*>(op->GetNodeData())->Draw(op, DRAWPASS_OBJECT, bd_, &bh);
    for (BaseTag* tag = op->GetFirstTag(); tag; tag = tag->GetNext())
      if (IsPluginNode(tag, host::PluginKind::Tag)) static_cast<TagData*>(tag->GetNodeData())->Draw(tag, op, bd_, &bh);
  }

  BaseDocument* doc_;
  BaseDraw* bd_;
  BaseObject* camera_;
  host::Visibility visibility_;
};

}  // namespace

std::vector<ViewObject> CollectViewObjects(BaseDocument* doc, BaseDraw* bd, BaseObject* camera, host::Visibility visibility) {
  bd->ClearDrawing();
  ViewWalk walk(doc, bd, camera, visibility);
  walk.Walk(doc->GetFirstObject(), Matrix());
  return std::move(walk.objects);
}

}  // namespace cli
