#pragma once
// Every object of the host's automation interface, for headers that only
// pass pointers around. Objects are owned by the host; a pointer stays
// valid as long as the application that handed it out, and a missing
// object is null.
namespace host
{
class Application;
class ApplicationEvents;
class Document;
class DocumentEvents;
class LayerSource;
class LayerManager;
class Layer;
class ComponentTree;
class Component;
class Drawing;
class Sheet;
class View;
class DetailOutline;
class BomTable;
class Annotation;
class DisplayData;
class WeldItem;
class MultiJogLeader;
class CentreMark;
class BlockInstance;
class BlockDefinition;
class QuadrantItem;
class Sketch;
class SketchHatch;
class Face;
class Loop;
class Edge;
class Curve;
class Body;
class Feature;
class ThreadData;
class Texture;
class Configuration;
class ModelExtension;
class Transform;
} // namespace host
