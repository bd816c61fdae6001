<?xml version="1.0" encoding="UTF-8"?>
<!--
  Compliance-check view. Input is a package document holding either the
  project-side table T_ACCORDED_CHECK or the library-side T_ACCORDED_CHECK_INFO:
    <Table><T_ACCORDED_CHECK><Record><CONTENT>…</CONTENT>…</Record>…</T_ACCORDED_CHECK></Table>
  A NULL column arrives as a single space and is shown as an empty cell.
  The page is self-contained: inline CSS only, no scripts, no external files.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <!-- about:legacy-compat makes the serializer write <!DOCTYPE html>. -->
  <xsl:output method="html" encoding="UTF-8" indent="yes" doctype-system="about:legacy-compat"/>

  <xsl:variable name="records"
                select="//T_ACCORDED_CHECK/Record | //T_ACCORDED_CHECK_INFO/Record"/>

  <xsl:template match="/">
    <xsl:call-template name="page"/>
  </xsl:template>

  <!-- Also usable when the transformation starts at the Table element. -->
  <xsl:template match="Table">
    <xsl:call-template name="page"/>
  </xsl:template>

  <xsl:template name="page">
    <html lang="zh-CN">
      <!-- The HTML serializer inserts its own http-equiv encoding meta into
           any head or meta element it finds in the result tree, and HTML5
           allows only one encoding declaration: so the head tags and the
           meta tags are written as raw text, which it leaves alone. -->
      <xsl:text disable-output-escaping="yes">&lt;head&gt;&#10;&lt;meta charset="utf-8"&gt;&#10;&lt;meta name="viewport" content="width=device-width, initial-scale=1"&gt;&#10;</xsl:text>
      <title>符合性检查表</title>
      <style>
        body {
          margin: 24px auto;
          max-width: 1000px;
          padding: 0 16px;
          color: #222;
          background: #fff;
          font-family: "Microsoft YaHei", "PingFang SC", "Hiragino Sans GB",
            "Noto Sans CJK SC", "Source Han Sans SC", "WenQuanYi Micro Hei",
            "SimSun", sans-serif;
          font-size: 14px;
          line-height: 1.6;
        }
        h1 { text-align: center; font-size: 22px; letter-spacing: 0.2em; margin: 0 0 16px; }
        p.summary { margin: 0 0 8px; color: #555; }
        p.empty { text-align: center; color: #777; padding: 24px 0; border: 1px dashed #bbb; }
        table { width: 100%; border-collapse: collapse; }
        th, td { border: 1px solid #999; padding: 6px 8px; vertical-align: top; }
        th { background: #e8edf3; font-weight: bold; text-align: center; white-space: nowrap; }
        tbody tr:nth-child(even) td { background: #f6f8fa; }
        td.no, td.bundle, td.status { text-align: center; white-space: nowrap; }
        td.kind { white-space: nowrap; }
        td.content { word-break: break-all; }
        tr.void td { color: #888; }
        tr.void td.content { text-decoration: line-through; }
        @media print {
          @page { size: A4; margin: 15mm; }
          body { margin: 0; max-width: none; padding: 0; font-size: 11pt; }
          thead { display: table-header-group; }
          tr { page-break-inside: avoid; break-inside: avoid; }
          th, td { border-color: #000; }
          th, tbody tr:nth-child(even) td {
            -webkit-print-color-adjust: exact;
            print-color-adjust: exact;
          }
        }
      </style>
      <xsl:text disable-output-escaping="yes">&#10;&lt;/head&gt;&#10;</xsl:text>
      <body>
        <h1>符合性检查表</h1>
        <xsl:choose>
          <xsl:when test="count($records) = 0">
            <p class="empty">暂无符合性检查项</p>
          </xsl:when>
          <xsl:otherwise>
            <p class="summary">
              <xsl:text>共 </xsl:text>
              <xsl:value-of select="count($records)"/>
              <xsl:text> 项，其中有效 </xsl:text>
              <xsl:value-of select="count($records[normalize-space(STS) = 'V'])"/>
              <xsl:text> 项</xsl:text>
            </p>
            <table>
              <thead>
                <tr>
                  <th>序号</th>
                  <th>检查内容</th>
                  <th>标段</th>
                  <th>检查类别</th>
                  <th>状态</th>
                </tr>
              </thead>
              <tbody>
                <xsl:apply-templates select="$records"/>
              </tbody>
            </table>
          </xsl:otherwise>
        </xsl:choose>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="Record">
    <xsl:variable name="live" select="normalize-space(STS) = 'V'"/>
    <tr>
      <xsl:if test="not($live)">
        <xsl:attribute name="class">void</xsl:attribute>
      </xsl:if>
      <td class="no"><xsl:value-of select="position()"/></td>
      <td class="content"><xsl:call-template name="cell"><xsl:with-param name="v" select="CONTENT"/></xsl:call-template></td>
      <td class="bundle"><xsl:call-template name="cell"><xsl:with-param name="v" select="BUNDLE_ID"/></xsl:call-template></td>
      <td class="kind"><xsl:call-template name="cell"><xsl:with-param name="v" select="CHECK_ORI"/></xsl:call-template></td>
      <td class="status">
        <xsl:choose>
          <xsl:when test="$live">有效</xsl:when>
          <xsl:otherwise>已作废</xsl:otherwise>
        </xsl:choose>
      </td>
    </tr>
  </xsl:template>

  <!-- The package writes NULL as one space: such a value, or a missing field,
       leaves the cell empty; any other text is shown as stored. -->
  <xsl:template name="cell">
    <xsl:param name="v"/>
    <xsl:if test="normalize-space($v) != ''">
      <xsl:value-of select="$v"/>
    </xsl:if>
  </xsl:template>
</xsl:stylesheet>
