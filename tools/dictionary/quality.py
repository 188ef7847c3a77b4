"""Content checks of the built dictionary, used by measure.py.

Each check reads the shipped rows (headword, meaning, base form, code) and,
where it needs them, WordNet and CMUdict from the builder's cache.  The
tables here are judged by hand and kept apart from the builder's rules, so
that they measure the rules rather than restate them.
"""
import os
import re

import dictfile
import phonetic
import wordnet_index

SEP = "\u3001"
NOTE_RE = re.compile(r"^(.+?)の(比較級|最上級|複数形|三人称単数現在形|過去形|過去分詞|現在分詞|現在形)")


# ------------------------------------------------------- held-out meanings
def load_judged(path):
    """headword TAB acceptable|terms; 'Xの*' accepts any note on base X."""
    return dictfile.load_checked(path, normalise=False)


def term_ok(term, acceptable):
    t = dictfile.normalise_term(term)
    for a in acceptable:
        if a.endswith("の*"):
            # a note may name several bases: leave・leafの複数形
            m = NOTE_RE.match(t)
            if m and a[:-2] in m.group(1).split("・"):
                return True
        elif t == dictfile.normalise_term(a):
            return True
    return False


def judge_first_terms(index, judged):
    """-> (first right, among first three, missing, failures)."""
    first = top3 = missing = 0
    fails = []
    for hw, ok in judged:
        row = index.get(hw)
        if row is None:
            missing += 1
            fails.append((hw, None))
            continue
        terms = row[1].split(SEP)
        if term_ok(terms[0], ok):
            first += 1
        else:
            fails.append((hw, row[1]))
        if any(term_ok(t, ok) for t in terms[:3]):
            top3 += 1
    return first, top3, missing, fails


# ------------------------------------------------------------ base forms
def silent_e_stem(stem):
    """A stem whose -ing/-ed/-er form would double its last consonant
    (star -> starring) cannot be the base of a single-consonant form."""
    return bool(re.search(r"(^|[^aeiou])[aeiou][b-df-hj-np-tvz]$", stem))


def common_in_own_right(form, base, tags):
    """A form that is a word of its own (ground, wound, wedding, pants): a
    plural that WordNet lists as a noun while its singular has no tagged
    noun sense; otherwise a noun, adjective or adverb with at least two
    tagged senses."""
    own = tags.get(form)
    if not own:
        return False
    if form.endswith("s") and "noun" in own and base.lower() != form:
        return not tags.get(base.lower(), {}).get("noun")
    return any(own.get(p, 0) >= 2 for p in ("noun", "adj", "adv"))


def base_form_scan(rows, index, wn_nouns, tags, known=()):
    """Counts of the four base-form faults, with examples."""
    out = {"er_noun_as_comparative": [], "lost_silent_e": [],
           "capital_to_lower_base": [], "note_before_own_senses": []}
    for hw, meaning, base, _ in rows:
        if not base:
            continue
        terms = meaning.split(SEP)
        notes = [NOTE_RE.match(t) for t in terms]
        if hw[0].isupper() and base[0].islower():
            out["capital_to_lower_base"].append(hw)
        low = hw.lower()
        if low.endswith("er") and low in wn_nouns and any(
                m and m.group(2) == "比較級" for m in notes):
            b = base.lower()
            # a gradable adjective has a superlative as well (clean, cleanest)
            sup = [b + "est", b + "st", b[:-1] + "iest", b + b[-1] + "est"]
            bt = tags.get(b, {})
            if not any(s in index or s in known for s in sup) or \
                    not (bt.get("adj") or bt.get("adv")):
                out["er_noun_as_comparative"].append(hw)
        b = base.lower()
        for suf, pos in (("ing", "verb"), ("ed", "verb"), ("es", "noun verb"),
                         ("er", "adj"), ("est", "adj")):
            e_word = tags.get(b + "e", {})
            if low == b + suf and silent_e_stem(b) and (b + "e") in index and \
                    any(p in e_word for p in pos.split()):
                out["lost_silent_e"].append(hw)
                break
        if notes[0] and notes[0].group(2) not in ("比較級", "最上級") and \
                len(terms) > 1 and common_in_own_right(low, base, tags):
            out["note_before_own_senses"].append(hw)
    return out


# ------------------------------------------------------------ heteronyms
# word -> [(ARPAbet, Japanese words that show this sense)]; a first term
# that contains one of them takes that pronunciation.  Judged by hand.
HETERONYMS = {
    "read": [("R IY1 D", "読む 読み 読書 読める 解釈 読み取る 朗読 読解 理解")],
    "live": [("L IH1 V", "住む 暮らす 生きる 生活 居住 存続"),
             ("L AY1 V", "生の 生きている 生放送 ライブ 生きた 実況 生中継 活")],
    "lead": [("L IY1 D", "導く 率いる 先導 案内 指導 リード 主役 首位 先頭 通じる 至る 連れて"),
             ("L EH1 D", "鉛 芯 測鉛")],
    "use": [("Y UW1 Z", "使う 使用する 用いる 利用する 消費する 費やす 使い"),
            ("Y UW1 S", "使用 利用 用途 効用 用 役")],
    "close": [("K L OW1 Z", "閉める 閉じる 閉まる 閉鎖 終える 終わる 締める 閉店 閉"),
              ("K L OW1 S", "近い 近く 親しい 親密 接近 ほぼ 緊密 綿密 すぐそば")],
    "present": [("P R EH1 Z AH0 N T", "現在 贈り物 プレゼント 出席 今の 今 現 贈物 存在"),
                ("P R IY0 Z EH1 N T", "贈る 贈呈する 提示する 提出する 示す 発表する 紹介する 呈する")],
    "wind": [("W IH1 N D", "風"),
             ("W AY1 N D", "巻く 曲がる 巻き 回す 蛇行 うねる")],
    "bass": [("B EY1 S", "低音 ベース バス歌手 低い"),
             ("B AE1 S", "魚 スズキ 鱸 ブラックバス")],
    "record": [("R EH1 K ER0 D", "記録 レコード 履歴 経歴 成績 前科 登録"),
               ("R AH0 K AO1 R D", "記録する 録音する 録画する 登録する 記す"),
               ("R IH0 K AO1 R D", "記録する 録音する 録画する 登録する 記す")],
    "object": [("AA1 B JH EH0 K T", "物 物体 対象 目的 目標 オブジェクト 客体 目的語"),
               ("AH0 B JH EH1 K T", "反対する 異議 嫌がる")],
    "minute": [("M IH1 N AH0 T", "分 瞬間 ちょっと 議事録 少し"),
               ("M AY0 N UW1 T", "微細 細かい 微小 詳細 ごく小さい"),
               ("M AY0 N Y UW1 T", "微細 細かい 微小 詳細 ごく小さい")],
    "tear": [("T IH1 R", "涙"),
             ("T EH1 R", "裂く 破る 引き裂く 裂け目 破れ 引きちぎる 裂ける 破け")],
    "tears": [("T IH1 R Z", "涙"),
              ("T EH1 R Z", "裂く 破る 裂け目 tearの三人称")],
    "wound": [("W UW1 N D", "傷 負傷 けが 怪我 傷つける 損なう 痛手"),
              ("W AW1 N D", "windの")],
    "bow": [("B AW1", "お辞儀 おじぎ 頭を下げる 礼 曲げる 屈する 船首 へさき 会釈 かがめる"),
            ("B OW1", "弓 蝶結び ちょう結び リボン 弓形")],
    "desert": [("D EH1 Z ER0 T", "砂漠 荒野 荒れ地 不毛"),
               ("D IH0 Z ER1 T", "見捨てる 捨てる 脱走 放棄 去る 逃亡 見放す 遺棄")],
    "content": [("K AA1 N T EH0 N T", "内容 中身 目次 含有量 コンテンツ 趣旨"),
                ("K AH0 N T EH1 N T", "満足 甘んじる 満ち足りた 安んじ")],
    "project": [("P R AA1 JH EH0 K T", "計画 事業 プロジェクト 企画 研究課題 課題"),
                ("P R AH0 JH EH1 K T", "投影 映写 突き出る 計画する 見積もる 予測 発射 映す 投射 映し出す")],
    "refuse": [("R IH0 F Y UW1 Z", "拒む 断る 拒否 拒絶 辞退"),
               ("R AH0 F Y UW1 Z", "拒む 断る 拒否 拒絶 辞退"),
               ("R EH1 F Y UW2 Z", "ごみ ゴミ 廃物 くず 廃棄物 屑")],
    "produce": [("P R AH0 D UW1 S", "生産する 作る 製造 生み出す 産出 制作 提示 生じる 引き起こす 出す 創作 演出 生む 生ずる 上演 プロデュース"),
                ("P R OW1 D UW0 S", "農産物 産物 生産物 作物 青果 製品")],
    "permit": [("P ER0 M IH1 T", "許す 許可する 認める 許容"),
               ("P ER1 M IH2 T", "許可証 免許 許可 証")],
    "contract": [("K AA1 N T R AE2 K T", "契約 請負 約定 協定 コントラクト"),
                 ("K AH0 N T R AE1 K T", "収縮 縮む 縮小 かかる 患う 契約する")],
    "subject": [("S AH1 B JH IH0 K T", "主題 科目 題目 話題 主語 対象 臣民 被験者 題 テーマ 教科 課目 題材 受けやすい 従属"),
                ("S AH0 B JH EH1 K T", "服従させる 受けさせる さらす 従わせる")],
    "excuse": [("IH0 K S K Y UW1 S", "言い訳 弁解 口実 理由 言いわけ"),
               ("IH0 K S K Y UW1 Z", "許す 勘弁 免除 弁解する 言い訳する")],
    "separate": [("S EH1 P ER0 EY2 T", "分ける 分離する 引き離す 隔てる 別れる 分かれる 分割 離す 区別する"),
                 ("S EH1 P ER0 IH0 T", "別々の 別の 離れた 個別の 独立した 別個の 分離した 別個 別々"),
                 ("S EH1 P R AH0 T", "別々の 別の 離れた 個別の 独立した 別個の 分離した 別個 別々")],
    "abuse": [("AH0 B Y UW1 S", "乱用 虐待 悪用 悪口 濫用 罵倒 侮辱"),
              ("AH0 B Y UW1 Z", "乱用する 虐待する 悪用する ののしる 罵る 濫用する")],
    "upset": [("AH0 P S EH1 T", "動揺 取り乱した 混乱 狼狽 ひっくり返す 転覆 覆す 乱す 怒った 腹を立てた 気が動転 気分を害 困惑 悩ませる 心配 うろたえ 不機嫌"),
              ("AH1 P S EH2 T", "番狂わせ 転倒 混乱 不調")],
    "suspect": [("S AH1 S P EH2 K T", "容疑者 被疑者 疑わしい 怪しい"),
                ("S AH0 S P EH1 K T", "疑う 怪しむ 思う 推測 感づく 嫌疑")],
    "progress": [("P R AA1 G R EH2 S", "進歩 前進 進行 発達 経過 進捗 発展 上達 向上 進展"),
                 ("P R AH0 G R EH1 S", "進歩する 前進する 進む 進行する 発展する"),
                 ("P R OW0 G R EH1 S", "進歩する 前進する 進む 進行する 発展する")],
    "increase": [("IH1 N K R IY2 S", "増加 増大 増進 上昇 増"),
                 ("IH2 N K R IY1 S", "増える 増やす 増す 増加する 増大する 高める 上げる")],
    "address": [("AE1 D R EH2 S", "住所 宛名 演説 アドレス 所番地 あて名 番地 挨拶"),
                ("AH0 D R EH1 S", "住所 宛名 演説 アドレス 所番地 あて名 番地 挨拶 演説する 取り組む 呼びかける 宛てる 話しかける 対処 扱う 取り扱う 対応 述べる")],
    "lives": [("L AY1 V Z", "lifeの 生活 命 人生 生命"),
              ("L IH1 V Z", "liveの 住む 生きる 暮らす")],
    "does": [("D AH1 Z", "doの する 行う やる")],
    "dove": [("D AH1 V", "鳩 ハト はと 平和主義"),
             ("D OW1 V", "diveの")],
    "conduct": [("K AA1 N D AH0 K T", "行い 行為 品行 振る舞い 行動 態度 素行 管理 運営"),
                ("K AA0 N D AH1 K T", "行う 指揮する 導く 実施する 伝える 案内する 遂行 運営する 処理する 伝導 通す 振る舞う 営む")],
    "rebel": [("R EH1 B AH0 L", "反逆者 反乱者 反抗者 謀反人 反徒 反乱軍 造反者"),
              ("R IH0 B EH1 L", "反逆する 反抗する 背く 反乱を起こす 謀反")],
    "protest": [("P R OW1 T EH2 S T", "抗議 異議 反対 抗議運動 デモ"),
                ("P R AH0 T EH1 S T", "抗議する 主張する 異議を唱える 反対する 断言する")],
    "insult": [("IH1 N S AH2 L T", "侮辱 無礼 屈辱 侮蔑 損傷"),
               ("IH2 N S AH1 L T", "侮辱する 辱める 馬鹿にする 侮る")],
    "conflict": [("K AA1 N F L IH0 K T", "衝突 紛争 対立 争い 矛盾 葛藤 闘争 抗争 論争 摩擦"),
                 ("K AH0 N F L IH1 K T", "矛盾する 衝突する 対立する 争う")],
    "convict": [("K AA1 N V IH0 K T", "囚人 受刑者 罪人 既決囚"),
                ("K AH0 N V IH1 K T", "有罪と宣告する 有罪とする 有罪判決 有罪を宣告する 有罪にする 断罪する")],
}

# phrase -> (word, acceptable ARPAbet for it there), judged by hand
PHRASE_HETERONYMS = {}
_PH = {
    "address": ("AE1 D R EH2 S|AH0 D R EH1 S", "address bar|address book|e-mail address|inaugural address|IP address|name and address|street address|term of address"),
    "lead": ("L IY1 D", "all roads lead to Rome|jumper lead|lead astray|lead guitar|lead story"),
    "lead ": ("L EH1 D", "lead acetate|lead arsenate|lead chromate|lead glass|lead poisoning|lead tree|red lead|sounding lead|white lead"),
    "present": ("P R EH1 Z AH0 N T", "at present|birthday present|christmas present|present continuous|present participle|present perfect|present tense|wedding present"),
    "bass": ("B EY1 S", "bass clarinet|bass clef|bass drum|bass guitar|double bass|electric bass|future bass"),
    "bass ": ("B AE1 S", "black bass|largemouth bass|sea bass|smallmouth bass"),
    "object": ("AA1 B JH EH0 K T", "BL Lac object|direct object|God object|indirect object|unidentified flying object"),
    "lives": ("L AY1 V Z", "black lives matter"),
    "bow": ("B OW1", "bow and arrow|bow legs|bow maker|bow tie|bow window|compound bow|mouth bow|recurve bow"),
    "contract": ("K AA1 N T R AE2 K T", "breach of contract|contract bridge|contract killing|cost-plus contract|employment contract|futures contract|marriage contract|social contract|special contract|unilateral contract"),
    "wind": ("W IH1 N D", "break wind|breaking wind|east wind|get wind of|high wind|katabatic wind|north wind|prevailing wind|second wind|solar wind|south wind|sow the wind reap the whirlwind|stellar wind|trade wind|west wind|wind bell|wind chime|wind chimes|wind farm|wind instrument|wind power|wind rose|wind speed|wind tunnel|wind turbine"),
    "wind ": ("W AY1 N D", "wind back"),
    "use": ("Y UW1 Z", "can I use your phone|use up"),
    "use ": ("Y UW1 S", "fair use|in use|use case"),
    "abuse": ("AH0 B Y UW1 S", "child abuse|drug abuse|sexual abuse|substance abuse"),
    "record": ("R EH1 K ER0 D", "chronological record|criminal record|off the record|phonograph record|record company|record jacket|record label|record player|track record|world record|written record"),
    "close": ("K L OW1 S", "close at hand|close but no cigar|close call|close to"),
    "close ": ("K L OW1 Z", "close down|close off|close ranks"),
    "project": ("P R AA1 JH EH0 K T", "collaborative project management|human genome project|manhattan project|project management|project manager|research project|social project management"),
    "increase": ("IH1 N K R IY2 S", "cost increase|price increase|salary increase|wage increase"),
    "tear": ("T IH1 R", "crocodile tear|shed a tear|tear gas|tear gland"),
    "tear ": ("T EH1 R", "tear down|tear off|tear up|wear and tear"),
    "tears": ("T IH1 R Z", "crocodile tears|Job's tears"),
    "desert": ("D EH1 Z ER0 T", "desert rose|sahara desert|ship of the desert"),
    "does": ("D AH1 Z", "does anyone here speak English|easy does it|how much does it cost|the apple does not fall far from the tree|the cowl does not make the monk|what does ... mean|where does this bus go|where does this train go"),
    "dove": ("D AH1 V", "European turtle dove|Inca dove|rock dove|turtle dove"),
    "excuse": ("IH0 K S K Y UW1 Z", "excuse me"),
    "live": ("L IH1 V", "I live in Melbourne|live on|live up to|live with one's wife's family|long live|man shall not live by bread alone|people who live in glass houses shouldn't throw stones|the king is dead long live the king!|where do you live"),
    "live ": ("L AY1 V", "live action|live album|live axle|live birth|live load|live stream|live wire"),
    "read": ("R IY1 D", "read between the lines"),
    "read ": ("R EH1 D", "leave someone on read"),
    "minute": ("M IH1 N AH0 T", "last minute|minute hand"),
    "conduct": ("K AA1 N D AH0 K T", "code of conduct"),
    "content": ("K AA1 N T EH0 N T", "content word"),
    "content ": ("K AH0 N T EH1 N T", "to one's heart's content"),
    "progress": ("P R AA1 G R EH2 S", "pilgrim's progress|progress bar|progress report|work in progress"),
    "permit": ("P ER1 M IH2 T", "residence permit|work permit"),
    "suspect": ("S AH1 S P EH2 K T", "robbery suspect"),
    "separate": ("S EH1 P ER0 EY2 T", "separate the wheat from the chaff"),
    "separate ": ("S EH1 P ER0 IH0 T|S EH1 P R AH0 T", "writing as separate words"),
    "subject": ("S AH1 B JH IH0 K T", "subject complement|subject matter"),
    "wound": ("W UW1 N D", "rub salt in the wound"),
}
for _w, (_arpas, _phrases) in _PH.items():
    for _p in _phrases.split("|"):
        PHRASE_HETERONYMS[_p] = (_w.strip(), _arpas.split("|"))


def _codes(arpas):
    return {phonetic.arpabet_to_code(a.split()) for a in arpas}


def heteronym_check(index, words):
    """words: the heteronyms to check.  -> (right, judged, failures)."""
    right = 0
    judged = 0
    fails = []
    for w in words:
        row = index.get(w)
        if row is None:
            fails.append((w, "missing", ""))
            continue
        first = row[1].split(SEP)[0]
        want = None
        # the longest matching sense word decides (増加する over 増加)
        best = 0
        for arpa, keys in HETERONYMS[w]:
            for k in keys.split():
                if k in first and len(k) > best:
                    best = len(k)
                    want = [a for a, ks in HETERONYMS[w] if k in ks.split()]
        judged += 1
        if want is None:
            fails.append((w, first, "sense not judged"))
            continue
        if row[3] in _codes(want):
            right += 1
        else:
            fails.append((w, first, row[3]))
    return right, judged, fails


def phrase_heteronym_check(index):
    right = 0
    fails = []
    for phrase, (word, arpas) in sorted(PHRASE_HETERONYMS.items()):
        row = index.get(phrase) or index.get(phrase.lower())
        if row is None:
            fails.append((phrase, "missing"))
            continue
        words = phrase.lower().split()
        codes = row[3].split(phonetic.WORD_SEPARATOR)
        if len(codes) != len(words):
            fails.append((phrase, row[3]))
            continue
        if codes[words.index(word)] in _codes(arpas):
            right += 1
        else:
            fails.append((phrase, row[3]))
    return right, len(PHRASE_HETERONYMS), fails


# --------------------------------------------------- register and debris
# Japanese terms that are derogatory or discriminatory; judged by hand.
OFFENSIVE_TERMS = set("""土人 チョン めくら 盲 盲人 聾 つんぼ 唖 おし 気違い きちがい キチガイ
気狂い 気違いじみる 気違いじみた びっこ ちんば 跛 かたわ 片輪 不具 不具者 白痴 毛唐
支那人 シナ人 チャンコロ 第三国人 三国人 鮮人 穢多 えた 非人 ジャップ ニガー 黒ん坊
くろんぼ クロンボ 低能 知恵遅れ 精薄 精神薄弱 めくらうなぎ めくら鰻 せむし 傴僂 オカマ
おかま ホモ レズ 乞食 盲目的 つんぼ桟敷 気違い沙汰""".split())
# headwords that are slurs themselves: their first term carries a label
SLUR_HEADWORDS = set("""nigger nigga chink jap gook kike spic wetback faggot fag
spastic tranny coon darkie paki redskin squaw raghead towelhead
honky wop dago kraut yid""".split())
MARKUP = re.compile(r"\[\[|\]\]|\{\{|\}\}|\|")
ROMAJI = re.compile(r"[(（][a-z][a-z' .-]*[)）]")
# a full stop or an affix's hyphen at either end of a Japanese term, an
# English note before one
STRAY = re.compile(r"[\u3040-\u9fff][.-](?:$|、)|(?:^|、)[.-][\u3040-\u9fff]|"
                   r"(?:^|、)[A-Za-z][A-Za-z ]*[a-z] +[\u3040-\u9fff]")


def register_debris_scan(rows):
    out = {"offensive_term_on_neutral_headword": [], "slur_without_label": [],
           "markup": [], "romanisation": [], "stray_stop_or_note": [], "bad_headword": []}
    for hw, meaning, _, _ in rows:
        terms = meaning.split(SEP)
        low = hw.lower()
        if low in SLUR_HEADWORDS:
            if "軽蔑" not in meaning and "差別" not in meaning:
                out["slur_without_label"].append(hw)
        elif any(re.sub(r"(な|の|する|だ)$", "", t) in OFFENSIVE_TERMS or t in OFFENSIVE_TERMS
                 for t in terms):
            out["offensive_term_on_neutral_headword"].append(hw)
        if MARKUP.search(meaning):
            out["markup"].append(hw)
        if ROMAJI.search(meaning):
            out["romanisation"].append(hw)
        if STRAY.search(meaning):
            out["stray_stop_or_note"].append(hw)
        if "Unsupported" in hw or MARKUP.search(hw):
            out["bad_headword"].append(hw)
    return out


def load_wordnet_tables(cache):
    """-> (nouns, {lemma: own tagged-sense count}) or (None, None)."""
    wn = os.path.join(cache, "root", "usr", "share", "wordnet")
    if not os.path.isdir(wn):
        return None, None
    nouns = set()
    tags = {}
    for pos, w, parts in wordnet_index.entries(wn):
        if pos == "noun":
            nouns.add(w)
        p_cnt = int(parts[3])
        tags.setdefault(w, {})[pos] = int(parts[5 + p_cnt])
    return nouns, tags
