#pragma once

#include "dwf/w2dtk/informational.h"
#include "dwf/w2dtk/object_list.h"
#include "dwf/w2dtk/time_stamp.h"

// The rendition's metadata group: one copy of each metadata kind, filled by
// the default actions as a stream is read, and the named views.
class WT_Metadata_Set
{
public:
    WT_Author& author() { return m_author; }
    WT_Comments& comments() { return m_comments; }
    WT_Copyright& copyright() { return m_copyright; }
    WT_Creator& creator() { return m_creator; }
    WT_Description& description() { return m_description; }
    WT_Keywords& keywords() { return m_keywords; }
    WT_Source_Filename& source_filename() { return m_source_filename; }
    WT_Subject& subject() { return m_subject; }
    WT_Title& title() { return m_title; }
    WT_Created& created() { return m_created; }
    WT_Modified& modified() { return m_modified; }
    WT_Source_Created& source_created() { return m_source_created; }
    WT_Source_Modified& source_modified() { return m_source_modified; }
    WT_Object_List& named_views() { return m_named_views; }

    // The member of a metadata kind, or null for any other id.
    WT_Informational* informational(WT_Object::WT_ID id);
    WT_Timestamp* timestamp(WT_Object::WT_ID id);

private:
    WT_Author m_author;
    WT_Comments m_comments;
    WT_Copyright m_copyright;
    WT_Creator m_creator;
    WT_Description m_description;
    WT_Keywords m_keywords;
    WT_Source_Filename m_source_filename;
    WT_Subject m_subject;
    WT_Title m_title;
    WT_Created m_created;
    WT_Modified m_modified;
    WT_Source_Created m_source_created;
    WT_Source_Modified m_source_modified;
    WT_Object_List m_named_views;
};
