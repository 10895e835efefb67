<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>QtDialogs</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>%1<byte value="xd"/>
このファイルは存在しません。<byte value="xd"/>
ファイルを作成しますか?</source>
        <translation>%1<byte value="xd"/>
This file does not exist.<byte value="xd"/>
Create the file?</translation>
    </message>
</context>
<context>
    <name>archive</name>
    <message>
        <source>コピーする領域サイズがマイナスになっています</source>
        <translation>The size of the range to copy is negative</translation>
    </message>
    <message>
        <source>書き出し先がパックの入っている実行ファイルそのものです</source>
        <translation>The destination is the very executable that carries the pack</translation>
    </message>
    <message>
        <source>メンバーが実行ファイルの終わりを越えています。%1 バイトのうち、存在する %2 バイトだけを書き出しました</source>
        <translation>The member runs past the end of the executable. Of its %1 bytes, only the %2 bytes present were written</translation>
    </message>
    <message>
        <source>ファイルをコピー出来ませんでした</source>
        <translation>The file could not be copied</translation>
    </message>
    <message>
        <source>ファイル操作中に予期しないエラーが発生しました。<byte value="xd"/>
%1 %2</source>
        <translation>An unexpected error occurred while working on a file.<byte value="xd"/>
%1 %2</translation>
    </message>
    <message>
        <source>ファイル操作中に予期しないエラーが発生しました。<byte value="xd"/>
%1</source>
        <translation>An unexpected error occurred while working on a file.<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>ファイルのコピーに使用するバッファサイズが不正です</source>
        <translation>The buffer size for copying the file is invalid</translation>
    </message>
    <message>
        <source>定義ファイルが途中で終わっています（%1 の途中で、位置 %2 のファイルの終わりに達しました）</source>
        <translation>The definition file ends too early (within %1, the end of the file was reached at position %2)</translation>
    </message>
    <message>
        <source>%1 件目のファイル定義の %2</source>
        <translation>%2 of file definition %1</translation>
    </message>
    <message>
        <source>指定されたファイル %1 は存在しません</source>
        <translation>The file %1 does not exist</translation>
    </message>
    <message>
        <source>定義ファイル %1 を開けませんでした（%2）</source>
        <translation>The definition file %1 could not be opened (%2)</translation>
    </message>
    <message>
        <source>定義ファイルの開始位置 %1 が不正です</source>
        <translation>The start position %1 of the definition file is invalid</translation>
    </message>
    <message>
        <source>ヘッダーの Magic</source>
        <translation>the header&apos;s Magic</translation>
    </message>
    <message>
        <source>ヘッダーの FormatVersion</source>
        <translation>the header&apos;s FormatVersion</translation>
    </message>
    <message>
        <source>ヘッダーの PackName</source>
        <translation>the header&apos;s PackName</translation>
    </message>
    <message>
        <source>ヘッダーの PackVersion</source>
        <translation>the header&apos;s PackVersion</translation>
    </message>
    <message>
        <source>ヘッダーの PackDescription</source>
        <translation>the header&apos;s PackDescription</translation>
    </message>
    <message>
        <source>ヘッダーの PackAutherName</source>
        <translation>the header&apos;s PackAutherName</translation>
    </message>
    <message>
        <source>ヘッダーの PackAutherEmail</source>
        <translation>the header&apos;s PackAutherEmail</translation>
    </message>
    <message>
        <source>ヘッダーの PackAutherUrl</source>
        <translation>the header&apos;s PackAutherUrl</translation>
    </message>
    <message>
        <source>ヘッダーの DefinitionCount</source>
        <translation>the header&apos;s DefinitionCount</translation>
    </message>
    <message>
        <source>ヘッダーの DefaultListCount</source>
        <translation>the header&apos;s DefaultListCount</translation>
    </message>
    <message>
        <source>ヘッダーの Reserved</source>
        <translation>the header&apos;s Reserved</translation>
    </message>
    <message>
        <source>定義ファイルのシグネチャが間違っています</source>
        <translation>The signature of the definition file is wrong</translation>
    </message>
    <message>
        <source>このバージョンの定義ファイルには対応していません</source>
        <translation>This version of definition file is not supported</translation>
    </message>
    <message>
        <source>定義数が許容範囲を超えています</source>
        <translation>The number of definitions is out of range</translation>
    </message>
    <message>
        <source>デフォルトリスト数が許容範囲を超えています</source>
        <translation>The size of the default list is out of range</translation>
    </message>
    <message>
        <source>テキストが 65535 バイトを超えています（%1 バイト）</source>
        <translation>A text is longer than 65535 bytes (%1 bytes)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; にはコードページ 932 で表せない文字が含まれています</source>
        <translation>&quot;%1&quot; contains characters that code page 932 cannot represent</translation>
    </message>
    <message>
        <source>ファイル定義が多すぎます（%1、最大 32767）</source>
        <translation>Too many file definitions (%1, at most 32767)</translation>
    </message>
    <message>
        <source>DefaultList のバイトが多すぎます（%1、最大 32767）</source>
        <translation>Too many DefaultList bytes (%1, at most 32767)</translation>
    </message>
    <message>
        <source>メンバーが多すぎます（%1、最大 32768）</source>
        <translation>Too many members (%1, at most 32768)</translation>
    </message>
    <message>
        <source>アーカイブが 2 GB を超えます</source>
        <translation>The archive would exceed 2 GB</translation>
    </message>
    <message>
        <source>書き出し先が元の実行ファイルと同じです: %1</source>
        <translation>The destination is the source executable itself: %1</translation>
    </message>
    <message>
        <source>%1 は PE 形式でも ELF 形式でもないか、ヘッダーが壊れています</source>
        <translation>%1 is neither a PE nor an ELF executable, or its header is damaged</translation>
    </message>
    <message>
        <source>%1 のヘッダーを書き換えられません</source>
        <translation>The header of %1 cannot be rewritten</translation>
    </message>
    <message>
        <source>パック入りの実行ファイルが 2 GB を超えます</source>
        <translation>The executable with the pack would exceed 2 GB</translation>
    </message>
</context>
<context>
    <name>image</name>
    <message>
        <source>このイメージは大きすぎるため読み込めません</source>
        <translation>This image is too large to load</translation>
    </message>
    <message>
        <source>メモリ</source>
        <translation>memory</translation>
    </message>
    <message>
        <source>このアイコンファイルには複数のイメージが格納されているため読み込めません</source>
        <translation>This icon file holds more than one image and cannot be loaded</translation>
    </message>
    <message>
        <source>このデータはアイコン形式での保存は出来ません</source>
        <translation>This data cannot be saved as an icon</translation>
    </message>
    <message>
        <source>このイメージはアイコン形式での保存は出来ません</source>
        <translation>This image cannot be saved as an icon</translation>
    </message>
    <message>
        <source>Windowsアイコン形式エクスポート</source>
        <translation>Export as Windows Icon</translation>
    </message>
    <message>
        <source>ファイルの保存に失敗しました。<byte value="xd"/>
%1</source>
        <translation>The file could not be saved.<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>このファイルはPNG形式ではありません</source>
        <translation>This file is not a PNG image</translation>
    </message>
    <message>
        <source>このファイルはPSD形式ではありません</source>
        <translation>This file is not a PSD image</translation>
    </message>
    <message>
        <source>このファイルの圧縮形式には対応していません</source>
        <translation>The compression of this file is not supported</translation>
    </message>
    <message>
        <source>圧縮された画像データが途中で終わっています</source>
        <translation>the compressed image data ends too soon</translation>
    </message>
    <message>
        <source>圧縮された画像データの見出しが不正です</source>
        <translation>the compressed image data has a bad header</translation>
    </message>
    <message>
        <source>圧縮された画像データに不正なブロックがあります</source>
        <translation>the compressed image data has a bad block</translation>
    </message>
    <message>
        <source>圧縮された画像データの符号表が不正です</source>
        <translation>the compressed image data has a bad code table</translation>
    </message>
    <message>
        <source>圧縮された画像データに不正な符号があります</source>
        <translation>the compressed image data has a bad code</translation>
    </message>
    <message>
        <source>圧縮された画像データが不正な距離を参照しています</source>
        <translation>the compressed image data refers to a bad distance</translation>
    </message>
    <message>
        <source>圧縮された画像データが画像より大きく展開されます</source>
        <translation>the compressed image data inflates to more than the image</translation>
    </message>
    <message>
        <source>このPNGファイルは壊れているため読み込めません（%1）</source>
        <translation>This PNG file is damaged and cannot be read (%1)</translation>
    </message>
    <message>
        <source>ファイルが途中で終わっています</source>
        <translation>the file ends too soon</translation>
    </message>
    <message>
        <source>チャンク %1 の長さが不正です</source>
        <translation>chunk %1 has a bad length</translation>
    </message>
    <message>
        <source>チャンク %1 が大きすぎます</source>
        <translation>chunk %1 is too large</translation>
    </message>
    <message>
        <source>チャンク %1 のCRCが一致しません</source>
        <translation>the CRC of chunk %1 does not match</translation>
    </message>
    <message>
        <source>最初のチャンクがIHDRではありません</source>
        <translation>the first chunk is not IHDR</translation>
    </message>
    <message>
        <source>IHDRチャンクが2つあります</source>
        <translation>there are two IHDR chunks</translation>
    </message>
    <message>
        <source>IHDRチャンクの長さが不正です</source>
        <translation>the IHDR chunk has a bad length</translation>
    </message>
    <message>
        <source>幅または高さが0です</source>
        <translation>the width or height is 0</translation>
    </message>
    <message>
        <source>ビット深度 %1 と色の種類 %2 の組み合わせは不正です</source>
        <translation>bit depth %1 does not go with colour type %2</translation>
    </message>
    <message>
        <source>圧縮方式、フィルター方式またはインターレース方式が不正です</source>
        <translation>bad compression, filter or interlace method</translation>
    </message>
    <message>
        <source>パレット（PLTE）の長さが不正です</source>
        <translation>the palette (PLTE) has a bad length</translation>
    </message>
    <message>
        <source>透過色（tRNS）が不正です</source>
        <translation>the transparency (tRNS) is bad</translation>
    </message>
    <message>
        <source>パレット（PLTE）がありません</source>
        <translation>there is no palette (PLTE)</translation>
    </message>
    <message>
        <source>画像データ（IDAT）がありません</source>
        <translation>there is no image data (IDAT)</translation>
    </message>
    <message>
        <source>画像データが画像の大きさに足りません</source>
        <translation>the image data is too short for the image size</translation>
    </message>
    <message>
        <source>行のフィルターの種類が不正です</source>
        <translation>a row has a bad filter type</translation>
    </message>
    <message>
        <source>画像データを復元できません</source>
        <translation>the image data cannot be decoded</translation>
    </message>
    <message>
        <source>このファイルは SVG 文書ではないため読み込めません</source>
        <translation>This file is not an SVG document and cannot be read</translation>
    </message>
    <message>
        <source>この SVG 文書は大きすぎるため読み込めません</source>
        <translation>This SVG document is too large to read</translation>
    </message>
    <message>
        <source>この SVG 文書はエンティティを定義しているため読み込めません</source>
        <translation>This SVG document defines entities and cannot be read</translation>
    </message>
    <message>
        <source>この SVG 文書は要素の入れ子が深すぎるため読み込めません</source>
        <translation>This SVG document nests its elements too deeply to read</translation>
    </message>
    <message>
        <source>この SVG 文書は描く要素が多すぎるため読み込めません</source>
        <translation>This SVG document has too many elements to draw</translation>
    </message>
    <message>
        <source>この SVG 文書は参照が循環しているため読み込めません</source>
        <translation>This SVG document refers to itself in a loop and cannot be read</translation>
    </message>
    <message>
        <source>この SVGZ ファイルは壊れているか大きすぎるため読み込めません</source>
        <translation>This SVGZ file is damaged or too large to read</translation>
    </message>
    <message>
        <source>SVG 文書を描く機能がないため読み込めません</source>
        <translation>SVG documents cannot be drawn here, so this one cannot be read</translation>
    </message>
    <message>
        <source>この SVG 文書は壊れているため読み込めません</source>
        <translation>This SVG document is damaged and cannot be read</translation>
    </message>
</context>
<context>
    <name>pack</name>
    <message>
        <source>定義ファイルの読み込み</source>
        <translation>Reading the Definition File</translation>
    </message>
    <message>
        <source>定義ファイルの読み込みに失敗しました。壊れている可能性があります<byte value="xd"/>
%1<byte value="xd"/>
定義ファイルは読み込まれませんでした。</source>
        <translation>The definition file could not be read. It may be damaged.<byte value="xd"/>
%1<byte value="xd"/>
The definition file was not loaded.</translation>
    </message>
    <message>
        <source>ファイルを読み込んでいます... %1</source>
        <translation>Loading files... %1</translation>
    </message>
    <message>
        <source>ファイルの読み込みが完了しました...[自己展開書庫：%1]</source>
        <translation>Files loaded...[self-extracting archive: %1]</translation>
    </message>
    <message>
        <source>ファイルの読み込みが完了しました...[カレントディレクトリ：%1]</source>
        <translation>Files loaded...[folder: %1]</translation>
    </message>
    <message>
        <source>%1 個のファイルを読み込めませんでした。</source>
        <translation>%1 files could not be read.</translation>
    </message>
    <message>
        <source>ほか %1 個</source>
        <translation>and %1 more</translation>
    </message>
    <message>
        <source>このファイルは途中で切れているか壊れているため読み込めません</source>
        <translation>This file is cut short or damaged and cannot be read</translation>
    </message>
</context>
<context>
    <name>platform</name>
    <message>
        <source>ディスクの空き容量が不足しています</source>
        <translation>There is not enough free space on the disk</translation>
    </message>
    <message>
        <source>ディスクの使用量の上限を超えています</source>
        <translation>The disk quota is exceeded</translation>
    </message>
    <message>
        <source>読み取り専用のファイルシステムには書き込めません</source>
        <translation>A read-only file system cannot be written to</translation>
    </message>
    <message>
        <source>アクセスする権限がありません</source>
        <translation>Permission denied</translation>
    </message>
    <message>
        <source>フォルダーまたはファイルが見つかりません</source>
        <translation>The folder or file was not found</translation>
    </message>
    <message>
        <source>フォルダーの代わりにファイルがあります</source>
        <translation>A file stands where a folder should be</translation>
    </message>
    <message>
        <source>同じ名前のフォルダーがあります</source>
        <translation>A folder of the same name exists</translation>
    </message>
    <message>
        <source>ファイル名が長すぎます</source>
        <translation>The file name is too long</translation>
    </message>
    <message>
        <source>入出力エラーが発生しました</source>
        <translation>An input/output error occurred</translation>
    </message>
    <message>
        <source>シンボリックリンク %1 の指す先 %2 がありません</source>
        <translation>The target %2 of the symbolic link %1 does not exist</translation>
    </message>
    <message>
        <source>%1 は通常のファイルではありません</source>
        <translation>%1 is not a regular file</translation>
    </message>
</context>
<context>
    <name>quelo::ui::frmAbout</name>
    <message>
        <source>quelo のバージョン情報</source>
        <translation>About quelo</translation>
    </message>
    <message>
        <source>小さなアイコンを並べてストリップを作る道具 ― quelo 開発チーム</source>
        <translation>A tool that lines up small icons into a strip ― the quelo team</translation>
    </message>
    <message>
        <source>定義クラスへの参照を渡すことが出来ませんでした</source>
        <translation>No definition was given to show</translation>
    </message>
    <message>
        <source>パッケージ %1 の情報</source>
        <translation>About the Pack %1</translation>
    </message>
    <message>
        <source>[パッケージ名] </source>
        <translation>[ Pack name  ] </translation>
    </message>
    <message>
        <source>[ バージョン ] </source>
        <translation>[  Version   ] </translation>
    </message>
    <message>
        <source>[   作成者   ] </source>
        <translation>[   Author   ] </translation>
    </message>
    <message>
        <source>[  Ｅメール  ] </source>
        <translation>[   E-mail   ] </translation>
    </message>
    <message>
        <source>パッケージ情報</source>
        <translation>Pack information</translation>
    </message>
    <message>
        <source>[ ファイル名 ] </source>
        <translation>[ File name  ] </translation>
    </message>
    <message>
        <source>[   表示名   ] </source>
        <translation>[   Title    ] </translation>
    </message>
    <message>
        <source>[  作成者名  ] </source>
        <translation>[   Author   ] </translation>
    </message>
    <message>
        <source>[  概要説明  ] </source>
        <translation>[Description ] </translation>
    </message>
    <message>
        <source>[ファイル番号] </source>
        <translation>[File number ] </translation>
    </message>
    <message>
        <source>イメージ情報</source>
        <translation>Image information</translation>
    </message>
    <message>
        <source>[     幅     ] </source>
        <translation>[   Width    ] </translation>
    </message>
    <message>
        <source>[    高さ    ] </source>
        <translation>[   Height   ] </translation>
    </message>
    <message>
        <source>[  ビット数  ] </source>
        <translation>[    Bits    ] </translation>
    </message>
    <message>
        <source>[ 内部拡張子 ] </source>
        <translation>[ Extension  ] </translation>
    </message>
    <message>
        <source>[ 読み込み元 ] </source>
        <translation>[ Loaded from] </translation>
    </message>
    <message>
        <source>ファイル情報</source>
        <translation>File information</translation>
    </message>
    <message>
        <source>不明 (ファイルを読み取れません)</source>
        <translation>unknown (the file cannot be read)</translation>
    </message>
    <message>
        <source>[   サイズ   ] </source>
        <translation>[    Size    ] </translation>
    </message>
    <message>
        <source>自己展開書庫内ファイル情報</source>
        <translation>File in the self-extracting archive</translation>
    </message>
    <message>
        <source>[書庫ファイル] </source>
        <translation>[  Archive   ] </translation>
    </message>
</context>
<context>
    <name>quelo::ui::frmMain</name>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>新規作成(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>開く(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>フォルダを開く(&amp;D)...</source>
        <translation>Open &amp;Folder...</translation>
    </message>
    <message>
        <source>名前を付けて保存(&amp;A)</source>
        <translation>Save &amp;As</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>クリップボードにコピー(&amp;C)</source>
        <translation>&amp;Copy to Clipboard</translation>
    </message>
    <message>
        <source>quelo の終了(&amp;X)</source>
        <translation>E&amp;xit quelo</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>背景色(&amp;B)</source>
        <translation>&amp;Background Color</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>再描画(&amp;R)</source>
        <translation>&amp;Redraw</translation>
    </message>
    <message>
        <source>言語(&amp;L)</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>システムの言語(&amp;S)</source>
        <translation>&amp;System Language</translation>
    </message>
    <message>
        <source>次回の起動から切り替わります</source>
        <translation>Takes effect at the next start</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ファイルのプロパティ(&amp;I)</source>
        <translation>&amp;File Properties</translation>
    </message>
    <message>
        <source>パッケージのプロパティ(&amp;P)</source>
        <translation>&amp;Pack Properties</translation>
    </message>
    <message>
        <source>Quelo のバージョン情報(&amp;A)</source>
        <translation>&amp;About Quelo</translation>
    </message>
    <message>
        <source>先頭に追加(&amp;F)</source>
        <translation>Add &amp;First</translation>
    </message>
    <message>
        <source>最後尾に追加(&amp;A)</source>
        <translation>Add &amp;Last</translation>
    </message>
    <message>
        <source>エクスポート(&amp;E)</source>
        <translation>&amp;Export</translation>
    </message>
    <message>
        <source>プロパティ(&amp;R)</source>
        <translation>P&amp;roperties</translation>
    </message>
    <message>
        <source>エラー<byte value="xd"/>
%1<byte value="xd"/>
%2</source>
        <translation>Error<byte value="xd"/>
%1<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>ファイルのプロパティを表示できませんでした<byte value="xd"/>
%1</source>
        <translation>The file properties could not be shown<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>パックを含むファイル|*|プログラム|*.exe</source>
        <translation>Files carrying a pack|*|Programs|*.exe</translation>
    </message>
    <message>
        <source>フォルダを開く</source>
        <translation>Open Folder</translation>
    </message>
    <message>
        <source>ファイルまたはフォルダが見つかりません。</source>
        <translation>The file or folder was not found.</translation>
    </message>
    <message>
        <source>読み込む権限がありません。</source>
        <translation>There is no permission to read it.</translation>
    </message>
    <message>
        <source>画像ファイル (*.psd, *.ico, *.png) がありません。</source>
        <translation>It holds no image files (*.psd, *.ico, *.png).</translation>
    </message>
    <message>
        <source>パックが付いていないファイルです。</source>
        <translation>The file carries no pack.</translation>
    </message>
    <message>
        <source>%1<byte value="xd"/>
を開けません。%2</source>
        <translation>%1<byte value="xd"/>
cannot be opened. %2</translation>
    </message>
    <message>
        <source>%1<byte value="xd"/>
が見つかりません。一覧から削除します。</source>
        <translation>%1<byte value="xd"/>
was not found. It is removed from the list.</translation>
    </message>
    <message>
        <source>ファイル %1 に保存できませんでした。<byte value="xd"/>
%2</source>
        <translation>The strip could not be saved to %1.<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>ビットマップを保存</source>
        <translation>Save Bitmap</translation>
    </message>
    <message>
        <source>Windows ビットマップ (.bmp)|*.bmp|全てのファイル|*.*|PNG (.png)|*.png</source>
        <translation>Windows Bitmap (.bmp)|*.bmp|All Files|*.*|PNG (.png)|*.png</translation>
    </message>
    <message>
        <source>ストリップを %1 に保存しました</source>
        <translation>The strip was saved to %1</translation>
    </message>
    <message>
        <source>ストリップは保存されていません。保存しますか？</source>
        <translation>The strip has not been saved. Save it?</translation>
    </message>
    <message>
        <source>ファイルのエクスポート</source>
        <translation>Export File</translation>
    </message>
    <message>
        <source>このファイルは自己解凍書庫から読み込まれたファイルではありません</source>
        <translation>This file was not loaded from a self-extracting archive</translation>
    </message>
    <message>
        <source>エクスポート</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>%1 ファイル |*.%1|Windows アイコン|*.ico</source>
        <translation>%1 File |*.%1|Windows Icon|*.ico</translation>
    </message>
    <message>
        <source>エクスポート %1 に保存されました</source>
        <translation>Exported to %1</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>背景色</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>赤</source>
        <translation>R</translation>
    </message>
    <message>
        <source>緑</source>
        <translation>G</translation>
    </message>
    <message>
        <source>青</source>
        <translation>B</translation>
    </message>
    <message>
        <source>イメージは登録されていません</source>
        <translation>No images in the strip</translation>
    </message>
    <message>
        <source>左側のリストからドラッグアンドドロップで追加できます</source>
        <translation>Drag images here from the list on the left</translation>
    </message>
    <message>
        <source>ファイル → フォルダを開く でアイコンのフォルダを開けます</source>
        <translation>File → Open Folder opens a folder of icons</translation>
    </message>
    <message>
        <source>再描画が終了しました</source>
        <translation>Redrawn</translation>
    </message>
    <message>
        <source>イメージ数制限</source>
        <translation>Image Limit</translation>
    </message>
    <message>
        <source>これ以上追加することは出来ません。<byte value="xd"/>
追加することの出来るイメージ数は %1 に制限されています。</source>
        <translation>No more images can be added.<byte value="xd"/>
The strip holds at most %1 images.</translation>
    </message>
    <message>
        <source>イメージの高さ</source>
        <translation>Image Height</translation>
    </message>
    <message>
        <source>先に追加されたイメージと高さが違います。<byte value="xd"/>
現在の高さ	：%1<byte value="xd"/>
新しい高さ	：%2<byte value="xd"/>
高さを変更しますか？変更すると現在のイメージは上寄せになります。</source>
        <translation>The height differs from the images added before.<byte value="xd"/>
Current height	: %1<byte value="xd"/>
New height	: %2<byte value="xd"/>
Change the height? The current images will then be aligned to the top.</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>現在選択されているリストは破棄されます。<byte value="xd"/>
よろしいですか？</source>
        <translation>The current strip will be discarded.<byte value="xd"/>
Continue?</translation>
    </message>
    <message>
        <source>位置を JSON ファイルにも保存(&amp;J)</source>
        <translation>Also save positions as &amp;JSON</translation>
    </message>
    <message>
        <source>背景を透明にする(&amp;T)</source>
        <translation>&amp;Transparent background</translation>
    </message>
    <message>
        <source>アイコンのサイズ(&amp;I)</source>
        <translation>&amp;Icon size</translation>
    </message>
    <message>
        <source>%1<byte value="xd"/>
を開けません。パックが付いていないファイルです。</source>
        <translation>%1<byte value="xd"/>
cannot be opened. The file carries no pack.</translation>
    </message>
    <message>
        <source>パックは開かれていません</source>
        <translation>No pack is open</translation>
    </message>
    <message>
        <source>元のサイズ(&amp;O)</source>
        <translation>&amp;Original size</translation>
    </message>
    <message>
        <source>%1 × %2</source>
        <translation>%1 × %2</translation>
    </message>
</context>
<context>
    <name>strip</name>
    <message>
        <source>ストリップが大きすぎます (%1 x %2 ピクセル)。</source>
        <translation>The strip is too large (%1 x %2 pixels).</translation>
    </message>
    <message>
        <source>画像を作れませんでした。</source>
        <translation>The picture could not be made.</translation>
    </message>
    <message>
        <source>メモリが足りません。</source>
        <translation>There is not enough memory.</translation>
    </message>
</context>
</TS>
