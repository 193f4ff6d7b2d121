// Base classes through which a plug-in's nodes and commands take part in the host.
#pragma once
#include "c4d_baselist.h"

class BaseObject;
class BaseTag;
class BaseShader;
class BaseVideoPost;
class BaseDraw;
class BaseDrawHelp;
class BaseThread;
class BaseBitmap;
class Description;
class HierarchyHelp;
struct ChannelData;
struct VideoPostStruct;

typedef BaseObject PluginObject;
typedef BaseTag PluginTag;
typedef BaseShader PluginShader;
typedef BaseVideoPost PluginVideoPost;

class NodeData {
 public:
  virtual ~NodeData() = default;
  virtual Bool Init(GeListNode*) { return TRUE; }
  virtual void Free(GeListNode*) {}
  virtual Bool Message(GeListNode*, LONG /*type*/, void* /*data*/) { return TRUE; }
  // Fills the description of the node's parameters; flags gets DESCFLAGS_DESC_LOADED when
  // the plug-in loaded it.
  virtual Bool GetDDescription(GeListNode*, Description*, LONG& /*flags*/) { return FALSE; }
  // A parameter the node reads or stores itself; it adds DESCFLAGS_PARAM_GET (SET) to flags
  // when it did, and the host then leaves the node's container alone.
  virtual Bool GetDParameter(GeListNode*, const DescID&, GeData&, LONG& /*flags*/) { return TRUE; }
  virtual Bool SetDParameter(GeListNode*, const DescID&, const GeData&, LONG& /*flags*/) { return TRUE; }
};

enum { DESCFLAGS_DESC_LOADED = 2 };
enum { DESCFLAGS_PARAM_GET = 2, DESCFLAGS_PARAM_SET = 2 };

// Messages the host sends to a node (GeListNode::Message, NodeData::Message), besides the
// attribute view's (c4d_description.h).
enum {
  MSG_UPDATE = 7,               // the node's parameters changed; data: null
  MSG_GETCUSTOMICON = 1001090,  // the node's own icon; data: GetCustomIconData
};

// The rectangle of bmp the icon is drawn into.
struct IconData {
  BaseBitmap* bmp = nullptr;
  LONG x = 0, y = 0, w = 0, h = 0;
};

// The node draws its icon into dat and sets filled.
struct GetCustomIconData {
  IconData* dat = nullptr;
  Bool filled = FALSE;
};

// Build flags: what the host asks of a generator when it builds the generator's cache.
enum {
  BUILDFLAGS_ISOPARM = 2,         // only the generator's isoparm lines (the editor's outline)
  BUILDFLAGS_RENDERGEOMETRY = 4,  // the geometry that is shown, rendered and exported
};

// What the host hands a generator's GetVirtualObjects: the document and the build flags.
class HierarchyHelp {
 public:
  HierarchyHelp(BaseDocument* doc, LONG buildflags) : doc_(doc), flags_(buildflags) {}
  BaseDocument* GetDocument() const { return doc_; }
  LONG GetBuildFlags() const { return flags_; }

 private:
  BaseDocument* doc_;
  LONG flags_;
};
enum { EXECUTION_RESULT_OK = 0 };
enum { DRAWPASS_OBJECT = 0 };

class ObjectData : public NodeData {
 public:
  virtual Bool Draw(PluginObject*, LONG /*drawpass*/, BaseDraw*, BaseDrawHelp*) { return TRUE; }
  // Builds the generator's geometry, or returns null for none.
  virtual BaseObject* GetVirtualObjects(PluginObject*, HierarchyHelp*) { return nullptr; }
  // The object's bounding box as centre and half size, in its own space. The host's answer
  // is the box of the generator's cache (zero without one).
  virtual void GetDimension(PluginObject* op, Vector* mp, Vector* rad);
};

class TagData : public NodeData {
 public:
  virtual Bool Draw(PluginTag*, BaseObject*, BaseDraw*, BaseDrawHelp*) { return TRUE; }
  virtual LONG Execute(PluginTag*, BaseDocument*, BaseObject*, BaseThread*, LONG /*priority*/, LONG /*flags*/) {
    return EXECUTION_RESULT_OK;
  }
};

enum { INITRENDERRESULT_OK = 0 };
struct InitRenderStruct;

class ShaderData : public NodeData {
 public:
  virtual Vector Output(PluginShader*, ChannelData*) { return Vector(); }
  // What the shader needs of the renderer (0: nothing special).
  virtual LONG GetRenderInfo(PluginShader*) { return 0; }
  virtual LONG InitRender(PluginShader*, InitRenderStruct*) { return INITRENDERRESULT_OK; }
  virtual void FreeRender(PluginShader*) {}
};

class VideoPostData : public NodeData {
 public:
  virtual LONG Execute(PluginVideoPost*, VideoPostStruct*) { return 0; }
  virtual LONG GetRenderInfo(PluginVideoPost*) { return 0; }
};

class CommandData {
 public:
  virtual ~CommandData() = default;
  virtual Bool Execute(BaseDocument*) { return TRUE; }
  virtual LONG GetState(BaseDocument*) { return 1; }
};

typedef NodeData* DataAllocator();

// Registration. Each returns FALSE when the host refuses the plug-in (a clash of ids, an icon
// that cannot be loaded from the plug-in's res folder).
Bool RegisterCommandPlugin(LONG id, const String& str, LONG info, const String& icon, const String& help, CommandData* dat);
Bool RegisterTagPlugin(LONG id, const String& str, LONG info, DataAllocator* g, const String& description, const String& icon, LONG disklevel);
Bool RegisterObjectPlugin(LONG id, const String& str, LONG info, DataAllocator* g, const String& description, const String& icon, LONG disklevel);
Bool RegisterShaderPlugin(LONG id, const String& str, LONG info, DataAllocator* g, const String& description, LONG disklevel);
Bool RegisterVideoPostPlugin(LONG id, const String& str, LONG info, DataAllocator* g, const String& description, LONG disklevel, LONG priority);

// Plug-in messages sent to PluginMessage by the host.
enum {
  C4DPL_INIT_PRIORITY = 0,  // "what is your priority?"
  C4DPL_INIT_SYS = 1,       // initialise resources before PluginStart
  C4DPL_ENDACTIVITY = 1001,
};
