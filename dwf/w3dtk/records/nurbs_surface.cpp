#include "dwf/w3dtk/records/nurbs_surface.h"

#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <utility>

namespace
{
constexpr char Bad_Surface_Count[] = "bad NURBS Surface count";
constexpr char Bad_Trim_Count[] = "bad NURBS Trim count";
constexpr char Unknown_Trim_Type[] = "Unknown trim type";
// What a degree byte holds, as the curves of trims carry it.
constexpr int Max_Degree = TK_Spline_Data::Max_Degree;

// Reads one type byte of a list of trims: 0 ends the list, 1 to 3 start a
// trim, anything else is an error.
TK_Status get_trim_type(BStreamFileToolkit& tk, int& type)
{
    unsigned char byte = 0;
    TK_TRY(BBaseOpcodeHandler::GetData(tk, byte));
    if (byte > HT_NURBS_Trim::Collection)
        return tk.Error(Unknown_Trim_Type);
    type = byte;
    return TK_Done;
}
} // namespace

// ---- trims

HT_NURBS_Trim::HT_NURBS_Trim(int type, int depth)
    : BBaseOpcodeHandler(0), m_type(type), m_depth(depth)
{
}

HT_NURBS_Trim::~HT_NURBS_Trim()
{
    Release(m_next);
    Release(m_list);
    Release(m_reading);
}

void HT_NURBS_Trim::Release(std::unique_ptr<HT_NURBS_Trim>& head) noexcept
{
    // Each trim's sub-trims are moved into the chain right after it before it
    // goes, so no trim is deleted with anything still below or behind it.
    while (head)
    {
        for (std::unique_ptr<HT_NURBS_Trim>* children : {&head->m_list, &head->m_reading})
        {
            std::unique_ptr<HT_NURBS_Trim> sub = std::move(*children);
            if (!sub)
                continue;
            HT_NURBS_Trim* last = sub.get();
            while (last->m_next)
                last = last->m_next.get();
            last->m_next = std::move(head->m_next);
            head->m_next = std::move(sub);
        }
        std::unique_ptr<HT_NURBS_Trim> after = std::move(head->m_next);
        head = std::move(after);
    }
}

void HT_NURBS_Trim::SetPoints(int count, const float* points)
{
    m_data.Set(0, count, points, nullptr, nullptr);
}

void HT_NURBS_Trim::SetCurve(int degree, int count, const float* points, const float* weights,
                             const float* knots)
{
    m_data.Set(degree, count, points, weights, knots);
    if (weights)
        m_options |= Weights;
    if (knots)
        m_options |= Knots;
}

HT_NURBS_Trim* HT_NURBS_Trim::NewTrim(int type)
{
    auto trim = std::make_unique<HT_NURBS_Trim>(type, m_depth + 1);
    HT_NURBS_Trim* const added = trim.get();
    if (m_tail)
        m_tail->m_next = std::move(trim);
    else
        m_list = std::move(trim);
    m_tail = added;
    return added;
}

TK_Status HT_NURBS_Trim::Validate(BStreamFileToolkit& tk) const
{
    for (const HT_NURBS_Trim* trim = this; trim; trim = trim->m_next.get())
    {
        if (trim->m_type < Polyline || trim->m_type > Collection)
            return tk.ErrorF("NURBS trim of unknown type %d", trim->m_type);
        if (trim->m_depth > Max_Depth)
            return tk.ErrorF("NURBS trims nested deeper than %d", Max_Depth);
        if (trim->m_type == Collection)
        {
            if (trim->m_list)
                TK_TRY(trim->m_list->Validate(tk));
            continue;
        }
        TK_TRY(CheckCount(tk, trim->m_data.Count(), Bad_Trim_Count));
        if (trim->m_data.Degree() > Max_Degree)
            return tk.Error("NURBS trim degree above 255");
    }
    return TK_Done;
}

TK_Status HT_NURBS_Trim::Write(BStreamFileToolkit& tk)
{
    bool const collection = m_type == Collection;
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutData(tk, static_cast<unsigned char>(m_type)));
        m_cursor = nullptr;
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_options));
        ++m_stage;
        if (collection)
        {
            m_cursor = m_list.get();
            if (m_cursor)
                m_cursor->Reset();
        }
        [[fallthrough]];
    case 2:
        if (collection)
            while (m_cursor)
            {
                TK_TRY(m_cursor->Write(tk));
                m_cursor = m_cursor->m_next.get();
                if (m_cursor)
                    m_cursor->Reset();
            }
        else
            TK_TRY(PutData(tk, m_data.Count()));
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (collection)
            TK_TRY(PutData(tk, static_cast<unsigned char>(0)));
        else
            TK_TRY(m_data.PutPoints(tk));
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (m_type == Curve)
            TK_TRY(PutData(tk, static_cast<unsigned char>(m_data.Degree())));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_type == Curve && (m_options & Weights))
            TK_TRY(m_data.PutWeights(tk));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_type == Curve && (m_options & Knots))
            TK_TRY(m_data.PutKnots(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status HT_NURBS_Trim::Read(BStreamFileToolkit& tk)
{
    bool const collection = m_type == Collection;
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_options));
        ++m_stage;
        [[fallthrough]];
    case 1:
        if (collection)
        {
            for (;;)
            {
                if (!m_reading)
                {
                    int type = 0;
                    TK_TRY(get_trim_type(tk, type));
                    if (type == 0)
                        break;
                    if (m_depth + 1 > Max_Depth)
                        return tk.ErrorF("NURBS trims nested deeper than %d", Max_Depth);
                    m_reading = std::make_unique<HT_NURBS_Trim>(type, m_depth + 1);
                }
                TK_TRY(m_reading->Read(tk));
                // Linked only once complete, so the list keeps the stream's order.
                HT_NURBS_Trim* const added = m_reading.get();
                if (m_tail)
                    m_tail->m_next = std::move(m_reading);
                else
                    m_list = std::move(m_reading);
                m_tail = added;
            }
            m_stage = -1;
            return TK_Done;
        }
        {
            int count = 0;
            TK_TRY(GetCheckedCount(tk, count, Bad_Trim_Count));
            m_data.SetSize(0, count);
        }
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(m_data.GetPoints(tk, m_progress));
        if (m_type == Polyline)
        {
            m_stage = -1;
            return TK_Done;
        }
        ++m_stage;
        [[fallthrough]];
    case 3:
    {
        unsigned char degree = 0;
        TK_TRY(GetData(tk, degree));
        // The degree comes after the points: keep them through the resize.
        std::vector<float> points = std::move(m_data.Points());
        m_data.SetSize(degree, m_data.Count());
        m_data.Points() = std::move(points);
        ++m_stage;
    }
        [[fallthrough]];
    case 4:
        if (m_options & Weights)
            TK_TRY(m_data.GetWeights(tk, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_options & Knots)
            TK_TRY(m_data.GetKnots(tk, m_progress));
        m_data.FillMissing();
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- surface

TK_NURBS_Surface::TK_NURBS_Surface() : BBaseOpcodeHandler('A') {}

TK_NURBS_Surface::~TK_NURBS_Surface()
{
    clear_trims();
}

void TK_NURBS_Surface::clear_trims()
{
    m_in_hand = nullptr;
    HT_NURBS_Trim::Release(m_trims);
}

void TK_NURBS_Surface::Reset()
{
    clear_trims();
    m_options = 0;
    m_u_degree = m_v_degree = 0;
    m_u_count = m_v_count = 0;
    m_points.clear();
    m_weights.clear();
    m_u_knots.clear();
    m_v_knots.clear();
    BBaseOpcodeHandler::Reset();
}

void TK_NURBS_Surface::SetSurface(int u_degree, int v_degree, int u_count, int v_count,
                                  const float* points, const float* weights, const float* u_knots,
                                  const float* v_knots)
{
    auto copy = [](std::vector<float>& to, const float* from, long long count)
    {
        to.assign(static_cast<std::size_t>(std::max(count, 0LL)), 0.0f);
        if (from)
            std::copy(from, from + to.size(), to.begin());
    };
    m_u_degree = u_degree;
    m_v_degree = v_degree;
    m_u_count = u_count;
    m_v_count = v_count;
    clear_trims();
    // A surface no record can carry allocates nothing; Write refuses it.
    bool const carried = validate_count(u_count) && validate_count(v_count) &&
                         validate_count(u_degree, Max_Degree) &&
                         validate_count(v_degree, Max_Degree) &&
                         static_cast<long long>(u_count) * v_count <= Max_Count;
    long long const control_points = carried ? static_cast<long long>(u_count) * v_count : 0;
    copy(m_points, points, 3 * control_points);
    copy(m_weights, weights, control_points);
    copy(m_u_knots, u_knots, carried ? u_degree + u_count + 1 : 0);
    copy(m_v_knots, v_knots, carried ? v_degree + v_count + 1 : 0);
    if (weights)
        m_options |= Weights;
    if (u_knots || v_knots)
        m_options |= Knots;
}

HT_NURBS_Trim* TK_NURBS_Surface::NewTrim(int type)
{
    auto trim = std::make_unique<HT_NURBS_Trim>(type, 0);
    trim->m_next = std::move(m_trims);
    m_trims = std::move(trim);
    return m_trims.get();
}

TK_Status TK_NURBS_Surface::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
    {
        if (tk.GetTargetVersion() < Since_Version)
            return TK_Done;
        int product = 0;
        TK_TRY(CheckProduct(tk, m_u_count, m_v_count, product, Bad_Surface_Count));
        if (m_u_degree < 0 || m_u_degree > Max_Degree || m_v_degree < 0 || m_v_degree > Max_Degree)
            return tk.Error("NURBS Surface degree outside 0..255");
        if ((m_options & Trims) && m_trims)
            TK_TRY(m_trims->Validate(tk));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
    }
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_options));
        ++m_stage;
        [[fallthrough]];
    case 2:
    {
        unsigned char const degrees[2] = {static_cast<unsigned char>(m_u_degree),
                                          static_cast<unsigned char>(m_v_degree)};
        TK_TRY(PutData(tk, degrees, 2));
        ++m_stage;
    }
        [[fallthrough]];
    case 3:
    {
        int const counts[2] = {m_u_count, m_v_count};
        TK_TRY(PutData(tk, counts, 2));
        ++m_stage;
    }
        [[fallthrough]];
    case 4:
        TK_TRY(tk_steps::PutAll(tk, m_points, 3 * control_points()));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_options & Weights)
            TK_TRY(tk_steps::PutAll(tk, m_weights, control_points()));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_options & Knots)
            TK_TRY(tk_steps::PutAll(tk, m_u_knots, m_u_degree + m_u_count + 1));
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (m_options & Knots)
            TK_TRY(tk_steps::PutAll(tk, m_v_knots, m_v_degree + m_v_count + 1));
        ++m_stage;
        m_in_hand = m_trims.get();
        if (m_in_hand)
            m_in_hand->Reset();
        [[fallthrough]];
    case 8:
        if (m_options & Trims)
            while (m_in_hand)
            {
                TK_TRY(m_in_hand->Write(tk));
                m_in_hand = m_in_hand->m_next.get();
                if (m_in_hand)
                    m_in_hand->Reset();
            }
        ++m_stage;
        [[fallthrough]];
    case 9:
        if (m_options & Trims)
            TK_TRY(PutData(tk, static_cast<unsigned char>(0)));
        ++m_stage;
        [[fallthrough]];
    case 10:
        TK_TRY(tk_steps::TagIfAsked(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_NURBS_Surface::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_options));
        ++m_stage;
        [[fallthrough]];
    case 1:
    {
        unsigned char degrees[2] = {0, 0};
        TK_TRY(GetData(tk, degrees, 2));
        m_u_degree = degrees[0];
        m_v_degree = degrees[1];
        ++m_stage;
    }
        [[fallthrough]];
    case 2:
    {
        int counts[2] = {0, 0};
        TK_TRY(GetData(tk, counts, 2));
        int product = 0;
        TK_TRY(CheckProduct(tk, counts[0], counts[1], product, Bad_Surface_Count));
        m_u_count = counts[0];
        m_v_count = counts[1];
        // Arrays are filled as their bytes arrive; the ones the record does
        // not carry stay empty.
        clear_trims();
        m_points.clear();
        m_weights.clear();
        m_u_knots.clear();
        m_v_knots.clear();
        m_progress = 0;
        ++m_stage;
    }
        [[fallthrough]];
    case 3:
        TK_TRY(tk_steps::GetInSteps(tk, m_points, 3 * control_points(), m_progress));
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (m_options & Weights)
            TK_TRY(tk_steps::GetInSteps(tk, m_weights, control_points(), m_progress));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_options & Knots)
            TK_TRY(tk_steps::GetInSteps(tk, m_u_knots, m_u_degree + m_u_count + 1, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_options & Knots)
            TK_TRY(tk_steps::GetInSteps(tk, m_v_knots, m_v_degree + m_v_count + 1, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (m_options & Trims)
            for (;;)
            {
                if (!m_in_hand)
                {
                    int type = 0;
                    TK_TRY(get_trim_type(tk, type));
                    if (type == 0)
                        break;
                    m_in_hand = NewTrim(type);
                }
                TK_TRY(m_in_hand->Read(tk));
                m_in_hand = nullptr;
            }
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
